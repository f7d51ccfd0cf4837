#pragma once

#include <QString>

class QLabel;

// What assistive technology (a screen reader) is told about the programs' windows.
namespace r5::a11y {

// Installs the suite's accessibility factory, once per process: every top-level window is
// exposed with the window role (plain widgets otherwise appear as a nameless filler), and
// value displays report what they show. Call after the QApplication exists.
void install();

// Makes `label` a display of a value: its name says what it is (`name`, e.g. "MAC Address")
// and its text and value say what it shows. Installs the factory if needed.
void markValueDisplay(QLabel *label, const QString &name);

// Shows `text` in a value display, and tells assistive technology when it changed.
void showValue(QLabel *label, const QString &text);

} // namespace r5::a11y
