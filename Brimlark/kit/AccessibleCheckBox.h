#pragma once

class QAbstractButton;

// A row that draws an on/off state of its own (a knob, a check mark) and takes the click is read
// by assistive tools as a check box: that role, the row's accessible name (its title, else its
// text) and whether it is checked, with "toggle" clicking it. The row keeps its checked state in
// step with what it shows (setChecked) and lets a click change only the model behind it
// (an empty nextCheckState()).
namespace AccessibleCheckBox {

// Makes `row` checkable and read as a check box; call before it is first shown.
void expose(QAbstractButton* row);

} // namespace AccessibleCheckBox
