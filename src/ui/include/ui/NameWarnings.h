#pragma once

#include <QStringList>

class QLabel;
class QRect;
class QWidget;

namespace vantrel {

// The label next to a name field that lists the warnings about the name, in a box of its own:
// hidden while there are none.
QLabel* makeNameWarnings(QWidget* dialog, const QRect& box);

// Shows the warnings about a name in its label and marks the field while there are any: a
// warning sign in it, the warnings as its tooltip and in its property "nameWarnings". Warnings
// that the label's box cannot hold give way to a line saying how many more there are.
void showNameWarnings(QWidget* field, QLabel* label, const QStringList& warnings);

} // namespace vantrel
