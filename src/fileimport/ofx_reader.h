// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "fileimport/file_rows.h"

#include <QByteArray>
#include <QString>

#include <vector>

// Open Financial Exchange statements (OFX and QFX, 1.x SGML and 2.x XML), read with libofx.
//
// Each statement transaction (STMTTRN) becomes a row: the date posted, the signed amount,
// and the name (or payee) and memo into "摘要" (CDATA sections kept). A statement in
// another currency than the yuan says so (Reading::currency) and names it in every summary. libofx checks the file against the OFX
// rules and says which transactions it holds; their texts are taken from the file itself,
// each paired with what libofx read by its place and its FITID. libofx would hand the
// amounts over as binary fractions, read an amount that is no number as 0, move the dates
// into this computer's time zone (a day off for a bank in another), and read a statement
// in Chinese several times slower. Investment transactions (buying and selling
// securities) are left out.
namespace OfxReader {

// True when the start of the file shows an OFX header ("OFXHEADER") or an <OFX> element.
bool looksLikeOfx(const QByteArray &bytes);

struct Reading {
    std::vector<FileRow> rows;
    QString error;         // why nothing could be read; empty when rows were read
    bool stopped = false;  // the progress callback stopped the reading
    QString currency;      // the statement's currency (CURDEF) when it is not CNY: "USD"
};
Reading read(const QByteArray &bytes, const FileRows::Progress &progress = {});

} // namespace OfxReader
