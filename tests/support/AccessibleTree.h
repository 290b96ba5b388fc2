// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringList>

class QObject;

// What a screen reader finds below a widget: the controls a user works with (buttons, boxes,
// fields, tabs, lists, trees and their items, progress bars, tool bars, menu items) that are
// on the screen.
struct AccessibleControls
{
    QStringList names;   // the names of the named ones
    QStringList unnamed; // the others, each as "role <n> <class> <object name>"
};
AccessibleControls FindAccessibleControls(QObject* root);

// The accessible name of one object.
QString AccessibleName(QObject* object);
