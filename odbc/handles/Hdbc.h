#pragma once
// An ODBC connection component. Its properties say how to connect: a data source name and login
// (SQLConnect), or a driver connect string built from Driver, DataSource, UserName, Password and
// the Attributes lines (SQLDriverConnect). The handle is allocated on first use, from GlobalHenv.
#include "odbc/handles/Children.h"
#include "odbc/handles/DriverTraits.h"
#include "odbc/handles/Enums.h"
#include "odbc/handles/Hbase.h"
#include "platform/core/Filer.h"
#include "platform/core/StringList.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class THenv;

class THdbc : public THbase, public TStateReader
{
public:
    using TNotifyEvent = std::function<void(THdbc* sender)>;

    explicit THdbc(TComponent* owner = nullptr);
    // Terminates statements and connection with errors suppressed.
    ~THdbc() override;

    bool Init() override;
    // Ends the statements, disconnects and frees the handle. Where the disconnect failed without
    // raising (errors suppressed or vetoed), an open transaction is rolled back and the connection
    // ended before the free. A handle the driver manager does not free is kept for the next try.
    bool Terminate() override;
    void Connect();
    void Disconnect();
    // Terminate with errors suppressed: drops a lost connection and its statements without raising;
    // the next operation reconnects from scratch.
    void Resolve();
    // Outside the form designer this does nothing.
    void DesignDisconnect();

    // Allocates the handle when needed.
    void* GetHandle();
    bool Initialized() const { return initialized_; }
    TChildren& Children() { return children_; }
    // Statements register here when they allocate their handle (and unregister when they free it);
    // a registered statement is also told, through Notification, when this connection goes.
    void RegisterChild(THbase* child);
    void UnregisterChild(THbase* child);

    bool Connected() const { return connected_; }
    bool GetConnected() const { return connected_; }
    void SetConnected(bool value);

    const std::string& Driver() const { return driver_; }
    void SetDriver(const std::string& value);
    const std::string& DataSource() const { return dataSource_; }
    void SetDataSource(const std::string& value);
    const std::string& UserName() const { return userName_; }
    void SetUserName(const std::string& value);
    const std::string& Password() const { return password_; }
    void SetPassword(const std::string& value);
    TStringList& Attributes() { return attributes_; }
    const TStringList& Attributes() const { return attributes_; }
    void SetAttributes(const TStringList& value);

    std::uint32_t IsolationLevel() const { return isolationLevel_; }
    void SetIsolationLevel(std::uint32_t value);
    std::uint16_t InfoPrompt() const { return infoPrompt_; }
    void SetInfoPrompt(std::uint16_t value) { infoPrompt_ = value; }
    std::uint32_t CursorLib() const { return cursorLib_; }
    void SetCursorLib(std::uint32_t value);
    TConnectionPooling GetConnectionPooling() const;
    void SetConnectionPooling(TConnectionPooling value);
    std::string GetVersion() const { return "5.02"; }
    void SetVersion(const std::string&) {}

    std::uint32_t GetLoginTimeOut();
    void SetLoginTimeOut(std::uint32_t seconds);
    bool Tracing() const { return tracing_; }
    void SetTracing(bool value);
    // True when the driver lacks SQLDescribeParam; parameter binding then describes parameters itself.
    bool Core() const { return core_; }
    void SetCore(bool value);

    void StartTransact();
    void EndTransact();
    void Commit();
    void Rollback();

    // What differs about this connection's driver (DriverTraits.h): learned once per connection, at
    // its first use after connecting (SQLDescribeParam's presence at the connect itself); before
    // connecting and after disconnecting, the record of a driver not known.
    const TDriverTraits& Traits();
    // A fetch found the driver's indicators 32 bits wide.
    void LearnNarrowIndicators() { traits_.NarrowIndicators = true; }

    // Quiet: false / empty / 0 when the driver cannot answer.
    bool GetFunction(std::uint16_t functionId);
    std::string GetInfoString(std::uint16_t infoType);
    std::int16_t GetInfoSmallint(std::uint16_t infoType);
    std::int32_t GetInfoInteger(std::uint16_t infoType);

    // "DSN=", "UID=", "PWD=", "DRIVER=" parts (each when set, in that order), then every Attributes
    // line as written, each part ended by ";". A value holding ";", "{" or "}" is put in braces (a
    // "}" inside doubled), so it cannot add attributes of its own; a value that is one braced value
    // already ("{SQLite3}") is passed as it is.
    std::string BuildConnectString() const;

    void SetBeforeConnect(TNotifyEvent e) { beforeConnect_ = std::move(e); }
    void SetAfterConnect(TNotifyEvent e) { afterConnect_ = std::move(e); }
    void SetBeforeDisconnect(TNotifyEvent e) { beforeDisconnect_ = std::move(e); }
    void SetAfterDisconnect(TNotifyEvent e) { afterDisconnect_ = std::move(e); }

    // Streaming: the published properties, read and written through the filer.
    void DefineProperties(TFiler& filer) override;
    void ReadState(TReader& reader) override;
    // Errors from properties earlier versions wrote ("ConnectionPooling", "OnConnect",
    // "OnDisconnect") are handled; any other stays unhandled.
    void ReaderError(TReader& reader, const std::string& message, bool& handled);
    // Connects when the stream said Connected; a failure is shown with EODBC::Detail ("Cannot
    // connect <Name> to database.") and the connection stays closed.
    void Loaded() override;

    void Notification(TComponent* component, TOperation operation) override;
    void DiagnosticHandle(std::int16_t& handleType, void*& handle) const override;
    void ResolveLostConnection() override { Resolve(); }
    bool ConnectionDead() const override;
    const TDriverTraits* KnownDriverTraits() const override { return &traits_; }

protected:
    virtual void DoBeforeConnect();
    virtual void DoAfterConnect();
    virtual void DoBeforeDisconnect();
    virtual void DoAfterDisconnect();

private:
    void SetConnectAttr(std::int32_t attribute, std::uintptr_t value);
    // Reads a 32-bit attribute quietly; false when the read failed or left the value untouched.
    bool GetConnectAttr(std::int32_t attribute, std::uint32_t& value);

    void* handle_ = nullptr;
    bool initialized_ = false;
    // The environment whose Children this joined (empty once it is gone).
    std::shared_ptr<THbase*> joined_;
    THenv* JoinedEnv() const;
    TChildren children_;
    bool pendingPooling_ = false;
    TConnectionPooling pendingPoolingValue_ = cpDefault;
    bool connected_ = false;
    // The driver manager holds the connection open (a failed disconnect leaves it so).
    bool openOnDriver_ = false;
    bool streamedConnected_ = false;
    std::string driver_;
    std::string dataSource_;
    std::string userName_;
    std::string password_;
    TStringList attributes_;
    std::uint32_t isolationLevel_ = 2;
    std::uint16_t infoPrompt_ = 0;
    std::uint32_t cursorLib_ = 2;
    bool tracing_ = false;
    bool core_ = false;
    TDriverTraits traits_;
    bool traitsLearned_ = false; // what the driver's answers tell is in traits_
    TNotifyEvent beforeConnect_;
    TNotifyEvent afterConnect_;
    TNotifyEvent beforeDisconnect_;
    TNotifyEvent afterDisconnect_;
};

// True when "<DBMS name>;<driver file name>" of the connection (its traits' names) equals one of
// names, ignoring ASCII case (for example "Excel;odbcjt32.dll").
bool IsDriver(THdbc& connection, const std::vector<std::string>& names);

// The first THdbc among owner's components, in component order; nullptr without one (or without an
// owner). Datasets, statements and the library's tool components take it as their connection.
THdbc* FirstHdbc(const TComponent* owner);

// Following a connection, for the components that work on one (statements, the catalog, the
// schema): FollowHdbc moves follower's removal notice from the connection it followed to the next
// (nullptr: none), so it is told when that one goes, whoever owns it. Of a notification the follower
// receives, OfferedHdbc gives the THdbc to take (one dropped on its owner while it follows none) and
// HdbcGoing says whether it is the followed connection going; what taking and losing one involves
// stays the follower's own.
void FollowHdbc(TComponent& follower, THdbc*& followed, THdbc* next);
THdbc* OfferedHdbc(TComponent* component, TOperation operation, const THdbc* followed);
bool HdbcGoing(const TComponent* component, TOperation operation, const THdbc* followed);

// The THdbc among owner's components that a form resource named for a component's connection, once
// the owner has read them all; name is taken (left empty). nullptr without an owner or such a THdbc.
THdbc* TakeStreamedHdbc(const TComponent* owner, std::string& name);
