// TTarget: the write-back target, its column lists and its streamed property.
#include "odbc/datasets/Target.h"

#include "odbc/statements/Hstmt.h"
#include "platform/core/Filer.h"
#include "platform/core/StringUtils.h"

#include <algorithm>

namespace {

constexpr const char* kVersionTag = "OE5.02";

void SetList(TStringList& list, const std::string& text)
{
    list.Clear();
    std::string::size_type start = 0;
    for (;;) {
        const auto end = text.find(';', start);
        if (end == std::string::npos)
            break;
        list.Add(text.substr(start, end - start));
        start = end + 1;
    }
}

std::string ListText(const TStringList& list)
{
    std::string text;
    for (const std::string& name : list.Lines())
        text += name + ";";
    return text;
}

void SetNames(TStringList& list, const std::vector<std::string>& names, int count)
{
    list.Clear();
    const int n = std::clamp(count, 0, static_cast<int>(names.size()));
    for (int i = 0; i < n; ++i)
        list.Add(Trim(names[static_cast<size_t>(i)]));
}

} // namespace

void TTarget::SetPrimaryCols(const std::string& text)
{
    SetList(primary_, text);
}

void TTarget::SetIgnoreCols(const std::string& text)
{
    SetList(ignore_, text);
}

std::string TTarget::GetPrimaryCols() const
{
    return ListText(primary_);
}

std::string TTarget::GetIgnoreCols() const
{
    return ListText(ignore_);
}

void TTarget::PrimaryCols(const std::vector<std::string>& names)
{
    PrimaryColsCore(names, static_cast<int>(names.size()));
}

void TTarget::IgnoreCols(const std::vector<std::string>& names)
{
    IgnoreColsCore(names, static_cast<int>(names.size()));
}

void TTarget::PrimaryColsCore(const std::vector<std::string>& names, int count)
{
    SetNames(primary_, names, count);
}

void TTarget::IgnoreColsCore(const std::vector<std::string>& names, int count)
{
    SetNames(ignore_, names, count);
}

void TTarget::SetTarget(const std::string& table, const std::string& primary, const std::string& ignore)
{
    targetTable_ = table;
    SetPrimaryCols(primary);
    SetIgnoreCols(ignore);
}

void TTarget::GetTarget(std::string& table, std::string& primary, std::string& ignore) const
{
    table = targetTable_;
    primary = GetPrimaryCols();
    ignore = GetIgnoreCols();
}

void TTarget::SetProperties()
{
    statement_->SetTargetTable(targetTable_);
    for (const std::string& name : primary_.Lines())
        statement_->SetColPrimary(statement_->ColByName(name), true);
    for (const std::string& name : ignore_.Lines())
        statement_->SetColIgnore(statement_->ColByName(name), true);
}

void TTarget::DefineProperties(TFiler& filer)
{
    TPersistent::DefineProperties(filer);
    filer.DefineProperty(
        "Target",
        [this](TReader& r) {
            r.ReadListBegin();
            r.ReadString(); // the version tag
            targetTable_ = r.ReadString();
            SetPrimaryCols(r.ReadString());
            SetIgnoreCols(r.ReadString());
            r.ReadListEnd();
        },
        [this](TWriter& w) {
            w.WriteListBegin();
            w.WriteString(kVersionTag);
            w.WriteString(targetTable_);
            w.WriteString(GetPrimaryCols());
            w.WriteString(GetIgnoreCols());
            w.WriteListEnd();
        },
        true);
}
