#pragma once

#include <QString>

// Whether every part of the workbook archive at path is whole: each deflated part
// inflates to its end and its XML closes the element it opens first. The workbook
// library does not notice that a write of its scratch files failed (a full disk, a
// file size limit) and zips the parts cut short, so a workbook is checked so before it
// replaces the file at the path.
bool ZipPartsAreWhole(const QString &path);
