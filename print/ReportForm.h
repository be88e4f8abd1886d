// TForm8, the report form.
#pragma once
// The report form: carries the page of the card copy (QuickRep2) that the print flow fills and
// prints, and, shown from the settings page, lets the operator shift the printed items to fit the
// paper. The shift is kept in style.ini ([SetIDInfoFrontPos] LastLaft, LastTop) and applied when the
// form is created.
#include "platform/ui/Form.h"
#include "ui_ReportForm.h"

#include <string>

// The controls are the members of the class generated from forms/ReportForm.ui; the window owns them:
// Panel1 with UpDown1 (left-right, with its number box Edit1), UpDown2 (up-down, with its number box
// Edit2), their labels Label1 and Label2, Button3 and Button2; ScrollBox1 holding the page QuickRep2.
class TForm8 : public TDialogForm, public Ui_TForm8
{
public:
    // The range of both up-downs; stored offsets outside it are brought inside when loaded.
    static constexpr int kOffsetMin = -100;
    static constexpr int kOffsetMax = 100;

    // Reads the offsets from style.ini in programFolder (FormCreate).
    explicit TForm8(std::string programFolder, TComponent* owner = nullptr, QWidget* parent = nullptr);

    ~TForm8() override;
    TForm8(const TForm8&) = delete;
    TForm8& operator=(const TForm8&) = delete;

    // The offsets in effect, in report pixels: positive left moves right, positive top moves up.
    int LastLaftValue = 0;
    int LastTopValue = 0;

    void FormCreate(QObject* Sender);
    void UpDown1Click(QObject* Sender);
    void UpDown2Click(QObject* Sender);
    void Button3Click(QObject* Sender);
    void Button2Click(QObject* Sender);

private:
    // Each read or write opens its own settings object on the file and lets it go at once.
    std::string SettingsPath() const;
    void ApplyOffsets();

    std::string programFolder_;
};
