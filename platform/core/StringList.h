#pragma once
// An ordered list of UTF-8 strings with the text, name=value and change-event conventions of the
// class library. Indexes start at 0; a bad index raises EListError "List index out of bounds (i)".
#include "platform/core/Persistent.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

class TStringList : public TPersistent
{
public:
    TStringList() = default;
    // Copies the lines only; the copy has no change handler of its own.
    TStringList(const TStringList& other);
    TStringList& operator=(const TStringList& other);

    int Count() const { return static_cast<int>(items_.size()); }
    const std::string& Strings(int index) const;
    void SetStrings(int index, std::string value);
    const std::string& operator[](int index) const { return Strings(index); }

    int Add(std::string s);
    void Insert(int index, std::string s);
    void Delete(int index);
    void Clear();

    // Every line followed by CR LF. Setting the text splits on CR LF, LF or a lone CR; a line end at
    // the very end does not start another (empty) line.
    std::string Text() const;
    void SetText(std::string_view text);

    // "name=value" lines: the name is everything before the first '=' (empty when there is none).
    std::string Names(int index) const;
    std::string ValueFromIndex(int index) const;
    // Value of the first line whose name matches without regard to case; empty when none does.
    std::string Values(std::string_view name) const;
    // Replaces the value of that line, or adds "name=value"; an empty value deletes the line.
    void SetValues(std::string_view name, std::string_view value);

    // First index of a line equal to s / named name, without regard to ASCII case; -1 when none.
    int IndexOf(std::string_view s) const;
    int IndexOfName(std::string_view name) const;

    void Assign(const TPersistent& source) override;

    // Batches changes: OnChange fires once when the outermost EndUpdate ends a batch that changed
    // something, instead of after every single change.
    void BeginUpdate() { ++updateCount_; }
    void EndUpdate();

    void SetOnChange(std::function<void()> handler) { onChange_ = std::move(handler); }
    const std::function<void()>& OnChange() const { return onChange_; }

    const std::vector<std::string>& Lines() const { return items_; }

private:
    void CheckIndex(int index, int limit) const;
    void Changed();

    std::vector<std::string> items_;
    std::function<void()> onChange_;
    int updateCount_ = 0;
    bool pendingChange_ = false;
};
