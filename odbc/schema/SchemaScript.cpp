// TOESchema: writing and running script files.
#include "odbc/schema/OESchema.h"

#include "odbc/statements/Hstmt.h"
#include "platform/core/FileStream.h"
#include "platform/core/StringUtils.h"

#include <vector>

namespace {

std::string ScriptName(const std::string& fileName)
{
    return fileName.empty() ? "SCRIPT.SQL" : fileName;
}

} // namespace

void TOESchema::WriteLine(const std::string& statement)
{
    if (!scriptOut_)
        throw EWriteError("Script file not open");
    const std::string lines = statement + "\n" + execMarker_ + "\n";
    scriptOut_->WriteBuffer(lines.data(), static_cast<std::int64_t>(lines.size()));
}

std::string TOESchema::ReadLine()
{
    if (!scriptIn_)
        throw EReadError("Script file not open");
    ScriptReader& in = *scriptIn_;
    if (in.AtEnd())
        throw EReadError("Read beyond end of file");
    const std::size_t end = in.text.find('\n', in.position);
    std::string line =
        in.text.substr(in.position, end == std::string::npos ? std::string::npos : end - in.position);
    in.position = end == std::string::npos ? in.text.size() : end + 1;
    ++in.lineNumber;
    // Scripts written on Windows end their lines in CR LF.
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    if (UpperCase(Trim(line)) == UpperCase(execMarker_))
        return "go";
    return line;
}

void TOESchema::GenScript(const std::string& fileName)
{
    struct ScriptModeScope
    {
        TOESchema& schema;
        ~ScriptModeScope()
        {
            schema.scriptMode_ = false;
            schema.scriptOut_.reset();
        }
    } scope{*this};
    scriptMode_ = true;
    scriptOut_ = std::make_unique<TFileStream>(ScriptName(fileName), fmCreate);
    LoadTables();
    LoadViews();
    DropViews(false);
    DropTables(false);
}

void TOESchema::RunScript(const std::string& fileName)
{
    std::string text;
    {
        TFileStream file(ScriptName(fileName), fmOpenRead);
        text.resize(static_cast<std::size_t>(file.Size()));
        file.ReadBuffer(text.data(), static_cast<std::int64_t>(text.size()));
    }
    struct ReaderScope
    {
        TOESchema& schema;
        ~ReaderScope() { schema.scriptIn_.reset(); }
    } scope{*this};
    scriptIn_ = std::make_unique<ScriptReader>();
    scriptIn_->text = std::move(text);

    while (!scriptIn_->AtEnd()) {
        std::vector<std::string> lines;
        int firstLine = 0; // the statement's first line that is not blank
        for (std::string line = ReadLine(); line != "go"; line = ReadLine()) {
            if (firstLine == 0 && !Trim(line).empty())
                firstLine = scriptIn_->lineNumber;
            lines.push_back(std::move(line));
            if (scriptIn_->AtEnd())
                break;
        }
        if (firstLine == 0)
            continue;
        // Joined with line breaks, so a "--" comment ends with its line.
        std::string statement;
        for (std::size_t i = 0; i < lines.size(); ++i)
            statement += (i > 0 ? "\n" : "") + lines[i];
        try {
            Run(statement);
        } catch (Exception& e) {
            e.SetMessage(e.Message() + " (script line " + std::to_string(firstLine) + ")");
            throw;
        }
    }
}
