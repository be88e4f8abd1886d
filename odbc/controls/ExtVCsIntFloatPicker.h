#pragma once
// A number editor with two spin buttons: a TIntFloatEdit and, at its right, an up and a down
// TTimerButton that step the value by 1 (repeating while held) within Min..Max. The picker is
// always 21 pixels high. It is the base of the data-aware number editor, which overrides Change,
// DropDown, KeyPress, KeyDown and Loaded. The sender of all five events is the picker.
//
// The picker is a component: it owns its edit and buttons. A read-only picker (SetEditReadOnly)
// shows its value but does not step it; a data-aware picker keeps itself read-only while its record
// is not being edited. DoExit runs when the focus leaves the picker.
#include "odbc/controls/ExtVCsEvents.h"

#include <QFrame>

class QEvent;
class QResizeEvent;
class TIntFloatEdit;
class TTimerButton;

class TIntFloatPicker : public TControlOf<QFrame>
{
public:
    explicit TIntFloatPicker(TComponent* owner = nullptr, QWidget* parent = nullptr);

    // Stored here and copied to the edit and both buttons; the panel itself stays enabled.
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool value);
    // Whether the spin buttons are shown; without them the edit takes the whole width.
    bool UpDown() const { return upDown_; }
    void SetUpDown(bool value);

    int Min() const;
    void SetMin(int value);
    int Max() const;
    void SetMax(int value);
    TIntFloatKind Kind() const;
    void SetKind(TIntFloatKind value);
    int Decimals() const;
    void SetDecimals(int value);

    int GetInt() const;
    void SetInt(int value);
    double GetFloat() const;
    void SetFloat(double value);

    void SetOnChange(TControlNotifyEvent handler) { onChange_ = std::move(handler); }
    // A mouse button went down on either spin button.
    void SetOnDropDown(TControlNotifyEvent handler) { onDropDown_ = std::move(handler); }
    void SetOnKeyPress(TKeyPressEvent handler) { onKeyPress_ = std::move(handler); }
    void SetOnKeyDown(TKeyEvent handler) { onKeyDown_ = std::move(handler); }
    void SetOnKeyUp(TKeyEvent handler) { onKeyUp_ = std::move(handler); }
    void SetOnExit(TControlNotifyEvent handler) { onExit_ = std::move(handler); }

    // Typing and stepping leave a read-only value alone; code may still set it.
    bool EditReadOnly() const;
    void SetEditReadOnly(bool value);

    TIntFloatEdit* Edit() const { return edit_; }
    TTimerButton* UpButton() const { return upButton_; }
    TTimerButton* DownButton() const { return downButton_; }

    // One step up or down, unless the value is already at Max or Min (when Max is above Min);
    // the caret then goes to the end of the text.
    void UpButtonClick(QObject* Sender);
    void DownButtonClick(QObject* Sender);
    // Called when loading the control's settings has finished; lays it out again.
    void Loaded() override;

    std::string ClassName() const override { return "TIntFloatPicker"; }

protected:
    virtual void DoChange(QObject* Sender);
    virtual void DoDropDown(QObject* Sender);
    virtual void DoKeyPress(QObject* Sender, QChar& key);
    virtual void DoKeyDown(QObject* Sender, int& key, Qt::KeyboardModifiers shift);
    virtual void DoKeyUp(QObject* Sender, int& key, Qt::KeyboardModifiers shift);
    virtual void Change();
    virtual void DropDown();
    virtual void KeyPress(QChar& key);
    virtual void KeyDown(int& key, Qt::KeyboardModifiers shift);
    virtual void KeyUp(int& key, Qt::KeyboardModifiers shift);
    // The focus has left the picker; the base raises OnExit.
    virtual void DoExit();

    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void SetSpinNumSize();
    void ButtonMouseDown(QObject* Sender);

    TIntFloatEdit* edit_;
    bool upDown_ = true;
    TTimerButton* upButton_;
    TTimerButton* downButton_;
    bool enabled_ = true;
    TControlNotifyEvent onChange_;
    TControlNotifyEvent onDropDown_;
    TKeyPressEvent onKeyPress_;
    TKeyEvent onKeyDown_;
    TKeyEvent onKeyUp_;
    TControlNotifyEvent onExit_;
};
