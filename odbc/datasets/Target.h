#pragma once
// TTarget: the table and the key and ignored column lists a dataset's statement uses when it writes
// rows back through generated statements. Streamed in form resources as the property "Target": a
// list of the version tag "OE5.02", the table, and the two lists in text form.
//
// Text form of a column list: every name followed by ";" ("A;B;"); an empty list is "".
#include "platform/core/Persistent.h"
#include "platform/core/StringList.h"

#include <string>
#include <vector>

class THstmt;

class TTarget : public TPersistent
{
public:
    // statement: the one the target configures (not owned).
    explicit TTarget(THstmt* statement) : statement_(statement) {}

    const std::string& TargetTable() const { return targetTable_; }
    void SetTargetTable(const std::string& table) { targetTable_ = table; }
    const TStringList& PrimaryList() const { return primary_; }
    const TStringList& IgnoreList() const { return ignore_; }

    // Empty the list, then add each piece of text that a ";" ends, as it stands (not trimmed, empty
    // pieces included); a last piece without its ";" is left out.
    void SetPrimaryCols(const std::string& text);
    void SetIgnoreCols(const std::string& text);
    std::string GetPrimaryCols() const;
    std::string GetIgnoreCols() const;
    // Replace the list with the names, each trimmed of characters of code 32 or below; the core forms
    // take only the first count names.
    void PrimaryCols(const std::vector<std::string>& names);
    void IgnoreCols(const std::vector<std::string>& names);
    void PrimaryColsCore(const std::vector<std::string>& names, int count);
    void IgnoreColsCore(const std::vector<std::string>& names, int count);

    void SetTarget(const std::string& table, const std::string& primary, const std::string& ignore);
    void GetTarget(std::string& table, std::string& primary, std::string& ignore) const;

    // Into the statement: its TargetTable, then each key column marked primary and each ignored
    // column marked ignored (by name, in list order). A name that is not a result column raises the
    // statement's "Identifier <name> not found in result set." and the marking stops there.
    void SetProperties();

    void DefineProperties(TFiler& filer) override;
    std::string ClassName() const override { return "TTarget"; }

private:
    THstmt* statement_;
    std::string targetTable_;
    TStringList primary_;
    TStringList ignore_;
};
