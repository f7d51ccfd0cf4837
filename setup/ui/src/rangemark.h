#pragma once

#include "r5device/fieldrange.h"

class QComboBox;
class QLineEdit;
class QWidget;

namespace r5setup {

// Marks a number field while it holds a number outside its range, so the mistake shows where
// it is typed rather than at the save: a reddened field, a tool tip and an accessible
// description that say the range. The save rules and their boxes stay as they are. Only what is
// written into the field from now on is looked at: a start value is no mistake of the user's.
void markOutOfRange(QLineEdit *edit, FieldRange range);
// An editable combo box: its typed text.
void markOutOfRange(QComboBox *combo, FieldRange range);

// Whether `field` is marked now.
bool isMarkedOutOfRange(const QWidget *field);

} // namespace r5setup
