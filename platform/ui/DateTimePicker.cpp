// TDateTimePicker: check box, date-time edit and drop-down calendar.
#include "platform/ui/DateTimePicker.h"

#include "platform/ui/Guard.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QDateTimeEdit>
#include <QFocusEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyle>
#include <QStyleOptionSpinBox>
#include <QToolButton>

#include <algorithm>

namespace {

// Julian day of 0001-01-01, the day the platform's time stamp counts as 1.
constexpr qint64 kJulianDayOfDayOne = 1721426;

QDate ToQDate(const TPlatformTimeStamp& ts)
{
    return QDate::fromJulianDay(ts.Date - 1 + kJulianDayOfDayOne);
}

int ToDayNumber(const QDate& date)
{
    return static_cast<int>(date.toJulianDay() - kJulianDayOfDayOne + 1);
}

// Keys the platform handles as a whole before any character is typed.
bool IsDialogKey(int key)
{
    return key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape || key == Qt::Key_Tab ||
           key == Qt::Key_Backtab;
}

} // namespace

// The edit reports a press on its spin arrows before it steps, so that the picker can start an
// edit first (the step is refused while the edit is read-only).
class TDateTimePicker::SpinEdit : public QDateTimeEdit
{
public:
    explicit SpinEdit(TDateTimePicker& picker) : QDateTimeEdit(&picker), picker_(picker) {}

protected:
    void mousePressEvent(QMouseEvent* event) override
    {
        if (event->button() == Qt::LeftButton && OnArrow(event->position().toPoint()))
            Guarded([this] { picker_.SpinPressed(); });
        QDateTimeEdit::mousePressEvent(event);
    }

private:
    bool OnArrow(const QPoint& pos) const
    {
        if (buttonSymbols() == NoButtons)
            return false;
        QStyleOptionSpinBox option;
        initStyleOption(&option);
        const QStyle::SubControl hit = style()->hitTestComplexControl(QStyle::CC_SpinBox, &option, pos, this);
        return hit == QStyle::SC_SpinBoxUp || hit == QStyle::SC_SpinBoxDown;
    }

    TDateTimePicker& picker_;
};

TDateTimePicker::TDateTimePicker(TComponent* owner, QWidget* parent)
    : TControlOf<QFrame>(owner, parent), checkBox_(new QCheckBox(this)), edit_(new SpinEdit(*this)),
      dropDownButton_(new QToolButton(this))
{
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(1);
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);
    setFocusProxy(edit_);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(checkBox_);
    layout->addWidget(edit_, 1);
    layout->addWidget(dropDownButton_);

    checkBox_->setChecked(checked_);
    edit_->setFrame(false);
    edit_->setTimeSpec(Qt::UTC); // no local-time gaps: the value is a plain date and time
    edit_->setDateTimeRange(QDateTime(QDate(1, 1, 1), QTime(0, 0), Qt::UTC),
                            QDateTime(QDate(9999, 12, 31), QTime(23, 59, 59, 999), Qt::UTC));
    dropDownButton_->setArrowType(Qt::DownArrow);
    dropDownButton_->setAutoRaise(true);
    dropDownButton_->setFocusPolicy(Qt::NoFocus);
    dropDownButton_->setFixedWidth(16);
    dropDownButton_->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Ignored);
    // A cleared value is greyed text on the picker's own ground, as the number pickers show it.
    QPalette palette = edit_->palette();
    palette.setColor(QPalette::Disabled, QPalette::Base, palette.color(QPalette::Active, QPalette::Base));
    edit_->setPalette(palette);

    edit_->installEventFilter(this);
    checkBox_->installEventFilter(this);
    ConnectGuarded(edit_, &QDateTimeEdit::dateTimeChanged, this, [this] { EditChanged(); });
    ConnectGuarded(checkBox_, &QCheckBox::clicked, this, [this] { CheckBoxClicked(); });
    ConnectGuarded(dropDownButton_, &QToolButton::pressed, this, [this] { DropDownPressed(); });

    // Both kinds one height: 21 pixels, as the platform's picker, unless the font needs more.
    setFixedHeight(std::max(21, edit_->sizeHint().height() + 2 * lineWidth()));
    resize(186, height());
    dateTime_ = clock_->Now();
    UpdateParts();
    ShowValue();
}

TDateTimePicker::~TDateTimePicker()
{
    // The children outlive this part of the picker; their events must not reach it any more.
    edit_->removeEventFilter(this);
    checkBox_->removeEventFilter(this);
}

QDateTimeEdit* TDateTimePicker::Edit() const
{
    return edit_;
}

void TDateTimePicker::SetKind(TDateTimeKind value)
{
    kind_ = value;
    UpdateParts();
    ShowValue();
}

void TDateTimePicker::SetShowCheckbox(bool value)
{
    showCheckbox_ = value;
    UpdateParts();
}

void TDateTimePicker::SetChecked(bool value)
{
    checked_ = value;
    checkBox_->setChecked(value);
    UpdateParts();
}

void TDateTimePicker::SetDateTime(TDateTime value)
{
    dateTime_ = value;
    ShowValue();
}

TDateTime TDateTimePicker::Date() const
{
    return TimeStampToDateTime({0, DateTimeToTimeStamp(dateTime_).Date});
}

void TDateTimePicker::SetDate(TDateTime value)
{
    TPlatformTimeStamp ts = DateTimeToTimeStamp(dateTime_);
    ts.Date = DateTimeToTimeStamp(value).Date;
    SetDateTime(TimeStampToDateTime(ts));
}

TDateTime TDateTimePicker::Time() const
{
    return static_cast<double>(DateTimeToTimeStamp(dateTime_).Time) / MSecsPerDay;
}

void TDateTimePicker::SetTime(TDateTime value)
{
    TPlatformTimeStamp ts = DateTimeToTimeStamp(dateTime_);
    ts.Time = DateTimeToTimeStamp(value).Time;
    SetDateTime(TimeStampToDateTime(ts));
}

bool TDateTimePicker::EditReadOnly() const
{
    return edit_->isReadOnly();
}

void TDateTimePicker::SetEditReadOnly(bool value)
{
    edit_->setReadOnly(value);
}

void TDateTimePicker::ShowValue()
{
    const TPlatformTimeStamp ts = DateTimeToTimeStamp(dateTime_);
    const QDateTime shown(ToQDate(ts), QTime::fromMSecsSinceStartOfDay(ts.Time), Qt::UTC);
    // Showing the value again (as an edit starts under a key) keeps the section being edited.
    if (shown == edit_->dateTime())
        return;
    const int section = edit_->currentSectionIndex();
    showing_ = true;
    edit_->setDateTime(shown);
    edit_->setCurrentSectionIndex(section);
    showing_ = false;
}

void TDateTimePicker::UpdateParts()
{
    const bool date = kind_ == dtkDate;
    const QString format = date ? QStringLiteral("yyyy-MM-dd") : QStringLiteral("HH:mm:ss");
    if (edit_->displayFormat() != format) // setting it, even unchanged, goes back to the first section
        edit_->setDisplayFormat(format);
    edit_->setButtonSymbols(date ? QAbstractSpinBox::NoButtons : QAbstractSpinBox::UpDownArrows);
    dropDownButton_->setVisible(date);
    checkBox_->setVisible(showCheckbox_);
    const bool editable = !showCheckbox_ || checked_;
    // A cleared box greys the value; the focus stays in the picker, on the box.
    if (!editable && edit_->hasFocus())
        checkBox_->setFocus(Qt::OtherFocusReason);
    edit_->setEnabled(editable);
    dropDownButton_->setEnabled(editable);
}

void TDateTimePicker::EditChanged()
{
    if (showing_)
        return;
    const QDateTime shown = edit_->dateTime();
    TPlatformTimeStamp ts = DateTimeToTimeStamp(dateTime_);
    if (kind_ == dtkDate)
        ts.Date = ToDayNumber(shown.date());
    else
        ts.Time = shown.time().msecsSinceStartOfDay();
    const TDateTime value = TimeStampToDateTime(ts);
    if (value == dateTime_)
        return;
    dateTime_ = value;
    Notify(dtnDateTimeChange);
}

void TDateTimePicker::CheckBoxClicked()
{
    checked_ = checkBox_->isChecked();
    UpdateParts();
    Notify(dtnDateTimeChange);
    Click();
}

void TDateTimePicker::DropDownPressed()
{
    Notify(dtnDropDown);
    if (EditReadOnly() || !edit_->isEnabled())
        return;
    if (calendar_ == nullptr) {
        calendar_ = new QCalendarWidget(this);
        calendar_->setWindowFlags(Qt::Popup);
        calendar_->setDateRange(edit_->minimumDate(), edit_->maximumDate());
        ConnectGuarded(calendar_, &QCalendarWidget::clicked, this, &TDateTimePicker::CalendarPicked);
        ConnectGuarded(calendar_, &QCalendarWidget::activated, this, &TDateTimePicker::CalendarPicked);
    }
    calendar_->setSelectedDate(edit_->date());
    calendar_->move(mapToGlobal(rect().bottomLeft()));
    calendar_->show();
    calendar_->setFocus(Qt::PopupFocusReason);
}

void TDateTimePicker::SpinPressed()
{
    Notify(dtnDropDown);
}

void TDateTimePicker::CalendarPicked(const QDate& date)
{
    calendar_->hide();
    if (EditReadOnly())
        return;
    // Through the edit, so that the change is reported like a typed one.
    edit_->setDate(date);
}

bool TDateTimePicker::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        bool swallow = false;
        Guarded([&] { swallow = FilterKey(*static_cast<QKeyEvent*>(event)); });
        return swallow;
    }
    if (event->type() == QEvent::FocusOut) {
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        // The focus is already on its new widget; a popup or another window is not leaving.
        QWidget* next = QApplication::focusWidget();
        if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason &&
            (next == nullptr || !isAncestorOf(next)))
            Guarded([this] { DoExit(); });
    }
    return TControlOf<QFrame>::eventFilter(watched, event);
}

bool TDateTimePicker::FilterKey(QKeyEvent& event)
{
    int key = event.key();
    KeyDown(key, event.modifiers());
    if (key == 0)
        return true;
    const QString text = event.text();
    if (text.size() != 1 || IsDialogKey(event.key()))
        return false;
    QChar character = text.front();
    if (!character.isPrint() && character.unicode() != 8)
        return false;
    KeyPress(character);
    return character.isNull();
}

void TDateTimePicker::Notify(TDateTimeNotification code)
{
    if (code == dtnDateTimeChange && onChange_)
        onChange_(this);
    else if (code == dtnDropDown && onDropDown_)
        onDropDown_(this);
}

void TDateTimePicker::Click()
{
    if (onClick_)
        onClick_(this);
}

void TDateTimePicker::KeyPress(QChar& key)
{
    if (onKeyPress_)
        onKeyPress_(this, key);
}

void TDateTimePicker::KeyDown(int& key, Qt::KeyboardModifiers shift)
{
    if (onKeyDown_)
        onKeyDown_(this, key, shift);
}

void TDateTimePicker::DoExit()
{
    if (onExit_)
        onExit_(this);
}
