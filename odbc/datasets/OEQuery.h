#pragma once
// TCustomOEQuery and TOEQuery: the ODBC dataset whose statement text is a list of lines (SQL). Every
// change of the list closes the dataset and hands the list's whole text, lines ended by line breaks,
// to the statement; the naming properties map onto the statement's options.
#include "odbc/datasets/CustomOEDataSet.h"
#include "platform/core/StringList.h"

enum TOEParamBindMode : std::uint8_t
{
    pbByName,
    pbByNumber
};

class TCustomOEQuery : public TCustomOEDataSet
{
public:
    explicit TCustomOEQuery(TComponent* owner = nullptr);
    ~TCustomOEQuery() override;

    // The statement text, line by line. (The dataset's own text, TCustomOEDataSet::SQL, follows it.)
    TStringList& SQL() { return sqlLines_; }
    const TStringList& SQL() const { return sqlLines_; }
    void SetSQL(const TStringList& lines) { sqlLines_.Assign(lines); }

    const std::string& TableName() const { return Table(); }
    void SetTableName(const std::string& name) { SetTable(name); }
    const std::string& StoredProcName() const { return StoredProc(); }
    void SetStoredProcName(const std::string& name) { SetStoredProc(name); }

    // An editable cursor: read, whether the statement's concurrency is not read-only (1). Writing
    // false makes it read-only; true makes a read-only one optimistic by values (4) and keeps any
    // other; Editable follows the value.
    bool RequestLive();
    void SetRequestLive(bool value);
    // A forward-only cursor (type 0). Writing false turns only a forward-only cursor into a static one
    // (3) where the connection may use the driver manager's cursor library (CursorLib 0 or 1), else
    // into a keyset-driven one (1).
    bool UniDirectional();
    void SetUniDirectional(bool value);
    // Blobs read with their row: the statement's BlobDeferral, negated.
    bool CacheBlobs();
    void SetCacheBlobs(bool value);
    TOEParamBindMode ParamBindMode();
    void SetParamBindMode(TOEParamBindMode value);

private:
    void SQLChange();

    TStringList sqlLines_;
};

// The query as placed on a form: its properties are published (streamed in form resources).
class TOEQuery : public TCustomOEQuery
{
public:
    using TCustomOEQuery::TCustomOEQuery;

    void DefineProperties(TFiler& filer) override;
    std::string ClassName() const override { return "TOEQuery"; }
};
