// TForm8, the report form.
#include "print/ReportForm.h"

#include "platform/core/IniFile.h"
#include "platform/os/AppDir.h"
#include "platform/os/FileResolver.h"
#include "platform/ui/Guard.h"

#include <algorithm>

namespace {

const char* const kSection = "SetIDInfoFrontPos";
const char* const kLeftKey = "LastLaft"; // spelled so in the files already in use
const char* const kTopKey = "LastTop";

} // namespace

TForm8::TForm8(std::string programFolder, TComponent* owner, QWidget* parent)
    : TDialogForm(owner, parent), programFolder_(WithTrailingSlash(std::move(programFolder)))
{
    setupUi(this);
    SetFormName("Form8");
    UpDown1->SetEditReadOnly(true);
    UpDown2->SetEditReadOnly(true);
    ConnectGuarded(UpDown1, &TUpDown::Click, this, [this] { UpDown1Click(UpDown1); });
    ConnectGuarded(UpDown2, &TUpDown::Click, this, [this] { UpDown2Click(UpDown2); });
    ConnectGuarded(Button3, &QPushButton::clicked, this, [this] { Button3Click(Button3); });
    ConnectGuarded(Button2, &QPushButton::clicked, this, [this] { Button2Click(Button2); });
    FormCreate(this);
}

TForm8::~TForm8() = default;

std::string TForm8::SettingsPath() const
{
    return ResolveFile(programFolder_, "style.ini");
}

void TForm8::ApplyOffsets()
{
    QuickRep2->SetOffsets(LastLaftValue, LastTopValue);
}

void TForm8::FormCreate(QObject* Sender)
{
    (void)Sender;
    {
        TIniFile ini(SettingsPath());
        // Outside the up-downs' range the layout and the controls would disagree, so the stored
        // values are brought inside it.
        LastLaftValue = std::clamp(ini.ReadInteger(kSection, kLeftKey, 0), kOffsetMin, kOffsetMax);
        LastTopValue = std::clamp(ini.ReadInteger(kSection, kTopKey, 0), kOffsetMin, kOffsetMax);
    }
    UpDown1->SetPosition(LastLaftValue);
    UpDown2->SetPosition(LastTopValue);
    ApplyOffsets();
}

// The items follow the position itself, not a one-pixel step, so the layout matches the stored value
// however far the position moved (typing, a held key).
void TForm8::UpDown1Click(QObject* Sender)
{
    (void)Sender;
    LastLaftValue = UpDown1->Position();
    {
        TIniFile ini(SettingsPath());
        ini.WriteInteger(kSection, kLeftKey, LastLaftValue);
    }
    ApplyOffsets();
}

void TForm8::UpDown2Click(QObject* Sender)
{
    (void)Sender;
    LastTopValue = UpDown2->Position();
    {
        TIniFile ini(SettingsPath());
        ini.WriteInteger(kSection, kTopKey, LastTopValue);
    }
    ApplyOffsets();
}

void TForm8::Button3Click(QObject* Sender)
{
    (void)Sender;
}

void TForm8::Button2Click(QObject* Sender)
{
    (void)Sender;
    close();
}
