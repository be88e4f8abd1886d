#pragma once
// TOEUpdateProc: an update object naming a stored procedure for each kind of change (ModifyProc,
// InsertProc, DeleteProc), with its parameters (ModifyParams, InsertParams, DeleteParams). A kind
// whose procedure is named is written by calling it through a query of its own on the dataset's
// connection, its parameters filled from the row being written ("OLD_" + a field name: the value
// before the change; a field name: the current value), every result it returns read to the end.
#include "odbc/datasets/OEUpdateObject.h"

#include <array>
#include <memory>
#include <string>

class TCustomOEQuery;
class TOEParams;

class TOEUpdateProc : public TOEUpdateObject
{
public:
    // Makes the three queries, forward-only.
    explicit TOEUpdateProc(TComponent* owner = nullptr);
    // Detaches from the dataset that names it as its UpdateObject.
    ~TOEUpdateProc() override;

    TCustomOEDataSet* GetDataSet() const override { return dataSet_; }
    void SetDataSet(TCustomOEDataSet* dataSet) override { dataSet_ = dataSet; }
    // True when that kind names a procedure.
    bool GetImplemented(TUpdateKind kind) override;
    // SetParams, then ExecSQL.
    void Apply(TUpdateKind kind) override;

    const std::string& Proc(TUpdateKind kind) const { return GetProcIndex(kind); }
    void SetProc(TUpdateKind kind, const std::string& name) { SetProcIndex(kind, name); }
    const std::string& GetProcIndex(int index) const;
    void SetProcIndex(int index, const std::string& name);
    // That kind's parameters (the procedure's, from the catalog, once it is named and connected).
    TOEParams& Parameters(TUpdateKind kind) { return GetParamsIndex(kind); }
    void SetParameters(TUpdateKind kind, const TOEParams& params) { SetParamsIndex(kind, params); }
    TOEParams& GetParamsIndex(int index);
    void SetParamsIndex(int index, const TOEParams& params);
    // That kind's query, on the dataset's connection.
    TCustomOEQuery& Query(TUpdateKind kind) { return GetQuery(kind); }
    TCustomOEQuery& GetQuery(TUpdateKind kind);
    // The query's parameters from the attached dataset's row being written; nothing without one.
    void SetParams(TUpdateKind kind);
    // Prepares and executes that kind's call, and reads every result it returns to the end.
    void ExecSQL(TUpdateKind kind);

    // Forgets the attached dataset when it goes.
    void Notification(TComponent* component, TOperation operation) override;
    void DefineProperties(TFiler& filer) override;
    std::string ClassName() const override { return "TOEUpdateProc"; }

private:
    TCustomOEDataSet* dataSet_ = nullptr;
    std::array<std::unique_ptr<TCustomOEQuery>, 3> queries_;
};
