// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// File dialog filters kept in the string table in the pairs form "Description|*.a; *.b|...||"
// (a description, then its patterns), turned into what QFileDialog takes: one
// "Description (*.a *.b)" per pair, joined by ";;". A description's own trailing pattern list
// in parentheses gives way to the pair's patterns; "*.*" means every file.
QString FileDialogFilter(const QString& strPairs);

// The same for the string with this id; empty when there is none.
QString LoadFileFilter(int nID);
