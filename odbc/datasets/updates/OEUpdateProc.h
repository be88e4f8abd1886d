#pragma once
// TOEUpdateProc: an update object naming a stored procedure for each kind of change (ModifyProc,
// InsertProc, DeleteProc), with its parameters (ModifyParams, InsertParams, DeleteParams). A kind
// whose procedure is named is written by calling it through a query of its own on the dataset's
// connection, its parameters filled from the row being written ("OLD_" + a field name: the value
// before the change; a field name: the current value), every result it returns read to the end.
#include "odbc/datasets/updates/OEQueryUpdateObject.h"

#include <string>

class TOEParams;

class TOEUpdateProc : public TOEQueryUpdateObject
{
public:
    // Makes the three queries, forward-only.
    explicit TOEUpdateProc(TComponent* owner = nullptr);

    // True when that kind names a procedure.
    bool GetImplemented(TUpdateKind kind) override;

    const std::string& Proc(TUpdateKind kind) const { return GetProcIndex(kind); }
    void SetProc(TUpdateKind kind, const std::string& name) { SetProcIndex(kind, name); }
    const std::string& GetProcIndex(int index) const;
    void SetProcIndex(int index, const std::string& name);
    // That kind's parameters (the procedure's, from the catalog, once it is named and connected).
    TOEParams& Parameters(TUpdateKind kind) { return GetParamsIndex(kind); }
    void SetParameters(TUpdateKind kind, const TOEParams& params) { SetParamsIndex(kind, params); }
    TOEParams& GetParamsIndex(int index);
    void SetParamsIndex(int index, const TOEParams& params);
    TCustomOEQuery& GetQuery(TUpdateKind kind) override;
    // Prepares and executes that kind's call, and reads every result it returns to the end.
    void ExecSQL(TUpdateKind kind) override;

    void DefineProperties(TFiler& filer) override;
    std::string ClassName() const override { return "TOEUpdateProc"; }
};
