#pragma once
// TDateTimePicker: the platform's date or time picker. It holds a whole date-time and shows one
// part of it: the date (with a button that drops down a calendar) or the time of day (with spin
// arrows); editing one part keeps the other. An optional check box in front says whether a value
// is given at all; while it is cleared the value is shown greyed and cannot be edited.
//
// Only what the user does is reported, never what code sets: a changed value or a toggled check
// box sends the date-time-change notification, a press on the drop-down button or on a spin arrow
// the drop-down notification (a spin press is a drop-down, as on the library's number picker), a
// toggle also runs Click. Keys typed into the picker pass KeyDown and then, for a character,
// KeyPress before the picker acts on them; a key set to 0 there is swallowed. DoExit runs when the
// focus leaves the picker. A derived control overrides these; the base raises the events.
#include "platform/core/DateTime.h"
#include "platform/os/SystemClock.h"
#include "platform/ui/Control.h"

#include <QFrame>

class QCalendarWidget;
class QCheckBox;
class QDate;
class QDateTimeEdit;
class QToolButton;

enum TDateTimeKind
{
    dtkDate,
    dtkTime,
};

// The picker's notifications, with the codes of the platform's common control.
enum TDateTimeNotification
{
    dtnDropDown = -754,
    dtnDateTimeChange = -759,
};

class TDateTimePicker : public TControlOf<QFrame>
{
public:
    // Starts at the clock's current date and time, date kind, no check box, checked.
    explicit TDateTimePicker(TComponent* owner = nullptr, QWidget* parent = nullptr);
    ~TDateTimePicker() override;

    TDateTimeKind Kind() const { return kind_; }
    void SetKind(TDateTimeKind value);
    bool ShowCheckbox() const { return showCheckbox_; }
    void SetShowCheckbox(bool value);
    bool Checked() const { return checked_; }
    void SetChecked(bool value);

    TDateTime DateTime() const { return dateTime_; }
    void SetDateTime(TDateTime value);
    // The whole day, without the time of day; setting it keeps the time of day.
    TDateTime Date() const;
    void SetDate(TDateTime value);
    // The time of day (0 up to 1); setting it keeps the day.
    TDateTime Time() const;
    void SetTime(TDateTime value);

    // The clock the picker starts from; the system clock unless a test gives another (not owned).
    Clock& GetClock() const { return *clock_; }
    void SetClock(Clock* clock) { clock_ = clock != nullptr ? clock : &systemClock_; }

    // A read-only value still shows and can be set by code, but typing, spinning and the calendar
    // leave it alone. Used by data-aware pickers while their record is not being edited.
    bool EditReadOnly() const;
    void SetEditReadOnly(bool value);

    void SetOnChange(TControlNotifyEvent handler) { onChange_ = std::move(handler); }
    void SetOnDropDown(TControlNotifyEvent handler) { onDropDown_ = std::move(handler); }
    void SetOnClick(TControlNotifyEvent handler) { onClick_ = std::move(handler); }
    void SetOnExit(TControlNotifyEvent handler) { onExit_ = std::move(handler); }
    void SetOnKeyPress(TKeyPressEvent handler) { onKeyPress_ = std::move(handler); }
    void SetOnKeyDown(TKeyEvent handler) { onKeyDown_ = std::move(handler); }

    // The parts, for tests and pictures.
    QCheckBox* CheckBox() const { return checkBox_; }
    QDateTimeEdit* Edit() const;
    QToolButton* DropDownButton() const { return dropDownButton_; }
    // The drop-down calendar once it has been shown, else nullptr.
    QCalendarWidget* Calendar() const { return calendar_; }

    std::string ClassName() const override { return "TDateTimePicker"; }

protected:
    // The base raises OnChange and OnDropDown.
    virtual void Notify(TDateTimeNotification code);
    // The base raises OnClick.
    virtual void Click();
    virtual void KeyPress(QChar& key);
    virtual void KeyDown(int& key, Qt::KeyboardModifiers shift);
    // The base raises OnExit.
    virtual void DoExit();

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    class SpinEdit;

    void ShowValue();
    void UpdateParts();
    void EditChanged();
    void CheckBoxClicked();
    void DropDownPressed();
    void SpinPressed();
    void CalendarPicked(const QDate& date);
    // Swallows the key when KeyDown or KeyPress set it to 0.
    bool FilterKey(QKeyEvent& event);

    SystemClock systemClock_;
    Clock* clock_ = &systemClock_;
    TDateTimeKind kind_ = dtkDate;
    bool showCheckbox_ = false;
    bool checked_ = true;
    TDateTime dateTime_ = 0;
    bool showing_ = false; // the value is being put into the edit by code
    QCheckBox* checkBox_;
    SpinEdit* edit_;
    QToolButton* dropDownButton_;
    QCalendarWidget* calendar_ = nullptr;
    TControlNotifyEvent onChange_;
    TControlNotifyEvent onDropDown_;
    TControlNotifyEvent onClick_;
    TControlNotifyEvent onExit_;
    TKeyPressEvent onKeyPress_;
    TKeyEvent onKeyDown_;
};
