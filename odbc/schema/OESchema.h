#pragma once
// TOESchema: a description of database tables (columns, constraints, indexes) and views, kept in
// the form resource, turned into data-definition statements. In direct mode each statement runs at
// once on the connection hDbc; GenScript writes them to a script file instead, with a line holding
// ExecMarker after each, and RunScript runs such a file statement by statement.
#include "odbc/schema/SchemaStatements.h"
#include "odbc/schema/SchemaTable.h"
#include "odbc/schema/SchemaView.h"
#include "platform/core/Component.h"

#include <memory>
#include <optional>
#include <string>

class THdbc;
class THstmt;
class TFileStream;

class TOESchema : public TComponent
{
public:
    // hDbc is the first THdbc among the owner's components, if any.
    explicit TOESchema(TComponent* owner = nullptr);
    ~TOESchema() override;

    THdbc* hDbc() const { return hdbc_; }
    void SetHdbc(THdbc* connection);
    // The statement every statement runs through.
    THstmt& Statement() { return *hstmt_; }
    TSchemaTables& Tables() { return *tables_; }
    TSchemaViews& Views() { return *views_; }
    // The separator line of script files, "go" after construction; a blank text is ignored.
    const std::string& ExecMarker() const { return execMarker_; }
    void SetExecMarker(const std::string& text);
    bool NameConstraints() const { return nameConstraints_; }
    void SetNameConstraints(bool value) { nameConstraints_ = value; }
    // True only while GenScript runs.
    bool ScriptMode() const { return scriptMode_; }

    static std::string Prefix(std::string_view owner, std::string_view name)
    {
        return SchemaPrefix(owner, name);
    }
    static void SplitColumn(std::string_view text, std::string& name, std::string& order)
    {
        ::SplitColumn(text, name, order);
    }

    // Each table's CREATE TABLE followed by its CREATE INDEX statements, first to last.
    void LoadTables();
    void LoadViews();
    // DROP VIEW for each view, last to first; with ignoreErrors a failing drop is passed over.
    void DropViews(bool ignoreErrors);
    // For each table, last to first: its indexes' DROP INDEX (last to first), then DROP TABLE.
    void DropTables(bool ignoreErrors);

    // Writes every CREATE, then every DROP statement to the file ("SCRIPT.SQL" when empty).
    void GenScript(const std::string& fileName);
    // Runs the statements of a script file ("SCRIPT.SQL" when empty). A statement is the lines up to
    // a marker line, joined with line breaks; a failing statement's error names its line.
    void RunScript(const std::string& fileName);
    // The statement as one line, then a line holding ExecMarker, into the script GenScript writes.
    void WriteLine(const std::string& statement);
    // The next line of the script RunScript reads, without its line end; "go" for a marker line.
    std::string ReadLine();

    void Clear();
    // Releases the statement's ODBC handle.
    void Terminate();

    // The statement in direct mode, run at once; in script mode, written to the script.
    void Perform(const std::string& statement);

    void Notification(TComponent* component, TOperation operation) override;
    // hDbc is stored by its name and found among the owner's components once loading ends.
    void DefineProperties(TFiler& filer) override;
    void Loaded() override;

private:
    // The text of the script RunScript reads, and where it is in it.
    struct ScriptReader
    {
        std::string text;
        std::size_t position = 0;
        int lineNumber = 0; // of the line read last, from 1

        bool AtEnd() const { return position >= text.size(); }
    };

    std::string TypeName(std::int16_t dataType, std::int32_t precision);
    TDropIndexForm DropIndexForm();
    void Run(const std::string& statement);

    THdbc* hdbc_ = nullptr;
    std::string streamedHdbc_;
    std::unique_ptr<THstmt> hstmt_;
    std::unique_ptr<TSchemaTables> tables_;
    std::unique_ptr<TSchemaViews> views_;
    bool scriptMode_ = false;
    // The script being written (GenScript) or read (RunScript).
    std::unique_ptr<TFileStream> scriptOut_;
    std::unique_ptr<ScriptReader> scriptIn_;
    std::string execMarker_ = "go";
    bool nameConstraints_ = false;
};
