#include "app/PortText.h"

#include "platform/core/NumberText.h"
#include "platform/core/StringUtils.h"

#include <QComboBox>

std::optional<int> PortFromText(const std::string& text)
{
    const std::string trimmed = Trim(text);
    if (trimmed.empty())
        return std::nullopt;
    for (char c : trimmed)
        if (c < '0' || c > '9')
            return std::nullopt;
    return StrToInt(trimmed);
}

std::optional<int> PortFromSender(const QObject* Sender)
{
    const auto* box = qobject_cast<const QComboBox*>(Sender);
    if (!box || !box->objectName().endsWith(QStringLiteral("_txsz")))
        return std::nullopt;
    return PortFromText(box->currentText().toStdString());
}
