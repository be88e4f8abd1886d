#pragma once
// An edit box for an integer or a decimal number. Typing is filtered (digits, "-" toggling the
// sign, "." for decimals, backspace); leaving the box, or changing Min, Max, Kind or Decimals,
// writes the value back in its normal form, clamped to Min..Max when Max is above Min. Reading
// never raises: text that is not a number reads as 0 (GetInt) or Min (GetFloat). The decimal point
// is always ".", whatever the locale.
//
// A read-only box (QLineEdit::setReadOnly) takes typed characters only when its OnKeyPress handler
// lifts the read-only state: a data-aware owner starts editing its record there, and the filter
// then acts on the text the record shows.
#include "odbc/controls/ExtVCsEvents.h"

#include <QLineEdit>

#include <algorithm>

class QFocusEvent;
class QKeyEvent;

class TIntFloatEdit : public TControlOf<QLineEdit>
{
public:
    // Starts with the text of Min written as an integer ("0").
    explicit TIntFloatEdit(TComponent* owner = nullptr, QWidget* parent = nullptr);

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
    // The focus has gone to another control (after the exit handling); normalising on a change of
    // Min, Max, Kind or Decimals does not raise it.
    void SetOnLeave(TControlNotifyEvent handler) { onLeave_ = std::move(handler); }

    // The character filter; key 0 means the character is swallowed. Raises OnKeyPress for every
    // allowed character, also one the filter has consumed (before the filter acts when read-only).
    virtual void KeyPress(QChar& key);
    // Normalises the text, then raises OnExit.
    virtual void DoExit();

    std::string ClassName() const override { return "TIntFloatEdit"; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void HandleKeyPress(QKeyEvent* event);
    // Sign toggling and the leading "0." of the filter; key 0 when the filter consumed the key.
    void EditText(QChar& key);
    void SetTextKeepingCaret(const QString& value);
    bool Bounded() const { return max_ > min_; }
    // value within Min..Max when Max is above Min.
    template <class Number> Number Clamped(Number value) const
    {
        return Bounded() ? std::clamp<Number>(value, min_, max_) : value;
    }

    int min_ = 0;
    int max_ = 0;
    int decimals_ = 2;
    TIntFloatKind kind_ = ifkInt;
    TControlNotifyEvent onChange_;
    TControlNotifyEvent onExit_;
    TControlNotifyEvent onLeave_;
    TKeyPressEvent onKeyPress_;
    TKeyEvent onKeyDown_;
    TKeyEvent onKeyUp_;
};
