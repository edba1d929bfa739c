#pragma once

#include <functional>

class RecordList;

// Return or Enter on the selected row of a list does what a double click does: `open`
// runs and the key goes no further (neither the view nor a dialog's default button sees
// it). With no row selected the key passes on as usual.
void openOnEnter(RecordList *list, std::function<void()> open);
