#pragma once
// An edit box for an integer or a decimal number. Typing is filtered (digits, "-" toggling the
// sign, "." for decimals, backspace); leaving the box, or changing Min, Max, Kind or Decimals,
// writes the value back in its normal form, clamped to Min..Max when Max is above Min. Reading
// never raises: text that is not a number reads as 0 (GetInt) or Min (GetFloat). The decimal point
// is always ".", whatever the locale.
#include "odbc/controls/ExtVCsEvents.h"

#include <QLineEdit>

class QFocusEvent;
class QKeyEvent;

class TIntFloatEdit : public QLineEdit
{
public:
    // Starts with the text of Min written as an integer ("0").
    explicit TIntFloatEdit(QWidget* parent = nullptr);

    int Min() const { return min_; }
    void SetMin(int value);
    int Max() const { return max_; }
    void SetMax(int value);
    TIntFloatKind Kind() const { return kind_; }
    void SetKind(TIntFloatKind value);
    // Digits after the point for ifkFloat; below 0 counts as 0.
    int Decimals() const { return decimals_; }
    void SetDecimals(int value);

    int GetInt() const;
    void SetInt(int value);
    double GetFloat() const;
    void SetFloat(double value);

    void SetOnChange(TControlNotifyEvent handler) { onChange_ = std::move(handler); }
    void SetOnExit(TControlNotifyEvent handler) { onExit_ = std::move(handler); }
    void SetOnKeyPress(TKeyPressEvent handler) { onKeyPress_ = std::move(handler); }
    void SetOnKeyDown(TKeyEvent handler) { onKeyDown_ = std::move(handler); }
    void SetOnKeyUp(TKeyEvent handler) { onKeyUp_ = std::move(handler); }

    // The character filter; key 0 means the character is swallowed. Raises OnKeyPress for every
    // allowed character, also one the filter has consumed.
    virtual void KeyPress(QChar& key);
    // Normalises the text, then raises OnExit.
    virtual void DoExit();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void HandleKeyPress(QKeyEvent* event);
    bool Bounded() const { return max_ > min_; }

    int min_ = 0;
    int max_ = 0;
    int decimals_ = 2;
    TIntFloatKind kind_ = ifkInt;
    TControlNotifyEvent onChange_;
    TControlNotifyEvent onExit_;
    TKeyPressEvent onKeyPress_;
    TKeyEvent onKeyDown_;
    TKeyEvent onKeyUp_;
};
