#pragma once
// Message boxes and modal dialogs on the screen.
#include "platform/ui/UiServices.h"

class QtUiServices : public UiServices
{
public:
    TModalResult MessageBox(const std::string& text, const std::string& caption, TMsgButtons buttons,
                            TMsgIcon icon) override;
    int RunModal(QDialog& dialog) override;
};
