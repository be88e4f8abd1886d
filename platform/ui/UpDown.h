#pragma once
// The up-down control with its number box. Only the arrows (buttons, arrow keys, wheel) raise
// Click, and only when the position changed: typing a number changes the position silently and
// setting the position in code runs no handler. The next arrow click starts from what was typed.
#include <QSpinBox>

enum TUDBtnType
{
    btNext, // the up arrow
    btPrev, // the down arrow
};

class TUpDown : public QSpinBox
{
    Q_OBJECT

public:
    // Range 0 to 100 and position 0, as the platform's control starts.
    explicit TUpDown(QWidget* parent = nullptr);

    int Position() const { return value(); }
    void SetPosition(int position) { setValue(position); }
    int Min() const { return minimum(); }
    void SetMin(int min) { setMinimum(min); }
    int Max() const { return maximum(); }
    void SetMax(int max) { setMaximum(max); }
    bool Wrap() const { return wrapping(); }
    void SetWrap(bool wrap) { setWrapping(wrap); }
    // A read-only number box still lets the arrows step (QSpinBox::setReadOnly would stop them).
    void SetEditReadOnly(bool readOnly);

    void stepBy(int steps) override;

signals:
    void Click(TUDBtnType button);
};
