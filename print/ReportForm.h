// TForm8, the report form.
#pragma once
// The report form: carries the page of the card copy (QuickRep2) that the print flow fills and
// prints, and, shown from the settings page, lets the operator shift the printed items to fit the
// paper. The shift is kept in style.ini ([SetIDInfoFrontPos] LastLaft, LastTop) and applied when the
// form is created.
#include "platform/ui/Form.h"
#include "platform/ui/UpDown.h"
#include "print/QuickRep.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>

#include <memory>
#include <string>

class Ui_TForm8; // generated from forms/ReportForm.ui

class TForm8 : public TDialogForm
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

    // The form's controls (owned by the window).
    QFrame* Panel1 = nullptr;
    QLabel* Label1 = nullptr;
    TUpDown* UpDown1 = nullptr; // left-right, with its number box (Edit1)
    QLabel* Label2 = nullptr;
    TUpDown* UpDown2 = nullptr; // up-down, with its number box (Edit2)
    QPushButton* Button3 = nullptr;
    QPushButton* Button2 = nullptr;
    QScrollArea* ScrollBox1 = nullptr;
    TQuickRep* QuickRep2 = nullptr;

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

    std::unique_ptr<Ui_TForm8> ui_;
    std::string programFolder_;
};
