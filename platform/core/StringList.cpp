#include "platform/core/StringList.h"

#include "platform/core/Exception.h"
#include "platform/core/StringUtils.h"

TStringList::TStringList(const TStringList& other) : TPersistent(other), items_(other.items_) {}

TStringList& TStringList::operator=(const TStringList& other)
{
    if (this != &other)
        Assign(other);
    return *this;
}

void TStringList::CheckIndex(int index, int limit) const
{
    if (index < 0 || index >= limit)
        throw EListError("List index out of bounds (" + std::to_string(index) + ")");
}

void TStringList::Changed()
{
    if (updateCount_ > 0) {
        pendingChange_ = true;
        return;
    }
    if (onChange_)
        onChange_();
}

void TStringList::EndUpdate()
{
    if (updateCount_ > 0 && --updateCount_ == 0 && pendingChange_) {
        pendingChange_ = false;
        Changed();
    }
}

const std::string& TStringList::Strings(int index) const
{
    CheckIndex(index, Count());
    return items_[static_cast<std::size_t>(index)];
}

void TStringList::SetStrings(int index, std::string value)
{
    CheckIndex(index, Count());
    items_[static_cast<std::size_t>(index)] = std::move(value);
    Changed();
}

int TStringList::Add(std::string s)
{
    items_.push_back(std::move(s));
    Changed();
    return Count() - 1;
}

void TStringList::Insert(int index, std::string s)
{
    CheckIndex(index, Count() + 1);
    items_.insert(items_.begin() + index, std::move(s));
    Changed();
}

void TStringList::Delete(int index)
{
    CheckIndex(index, Count());
    items_.erase(items_.begin() + index);
    Changed();
}

void TStringList::Clear()
{
    if (items_.empty())
        return;
    items_.clear();
    Changed();
}

std::string TStringList::Text() const
{
    std::string out;
    for (const auto& s : items_) {
        out += s;
        out += "\r\n";
    }
    return out;
}

void TStringList::SetText(std::string_view text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            lines.emplace_back(text.substr(start, i - start));
            i += (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ? 2 : 1;
            start = i;
        } else {
            ++i;
        }
    }
    if (start < text.size())
        lines.emplace_back(text.substr(start));
    items_ = std::move(lines);
    Changed();
}

std::string TStringList::Names(int index) const
{
    const std::string& s = Strings(index);
    const auto eq = s.find('=');
    return eq == std::string::npos ? std::string() : s.substr(0, eq);
}

std::string TStringList::ValueFromIndex(int index) const
{
    const std::string& s = Strings(index);
    const auto eq = s.find('=');
    return eq == std::string::npos ? std::string() : s.substr(eq + 1);
}

std::string TStringList::Values(std::string_view name) const
{
    const int i = IndexOfName(name);
    return i < 0 ? std::string() : ValueFromIndex(i);
}

void TStringList::SetValues(std::string_view name, std::string_view value)
{
    const int i = IndexOfName(name);
    if (value.empty()) {
        if (i >= 0)
            Delete(i);
        return;
    }
    std::string line = std::string(name) + "=" + std::string(value);
    if (i < 0)
        Add(std::move(line));
    else
        SetStrings(i, std::move(line));
}

int TStringList::IndexOf(std::string_view s) const
{
    for (int i = 0; i < Count(); ++i)
        if (SameText(items_[static_cast<std::size_t>(i)], s))
            return i;
    return -1;
}

int TStringList::IndexOfName(std::string_view name) const
{
    for (int i = 0; i < Count(); ++i) {
        const std::string& s = items_[static_cast<std::size_t>(i)];
        const auto eq = s.find('=');
        if (eq != std::string::npos && SameText(std::string_view(s).substr(0, eq), name))
            return i;
    }
    return -1;
}

void TStringList::Assign(const TPersistent& source)
{
    if (const auto* list = dynamic_cast<const TStringList*>(&source)) {
        if (list == this)
            return;
        items_ = list->items_;
        Changed();
        return;
    }
    TPersistent::Assign(source);
}
