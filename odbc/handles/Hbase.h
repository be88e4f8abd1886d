#pragma once
// The base of the handle components THenv, THdbc and THstmt: Init allocates the handle and whatever
// it needs, Terminate frees it and everything under it; OnInit and OnTerminate report both.
#include "platform/core/Component.h"

#include <cstdint>
#include <functional>
#include <memory>

class THbase;
struct TDriverTraits;
using THbaseEvent = std::function<void(THbase* sender)>;

class THbase : public TComponent
{
public:
    explicit THbase(TComponent* owner = nullptr);
    ~THbase() override;

    virtual bool Init();
    virtual bool Terminate();

    void SetOnInit(THbaseEvent handler) { onInit_ = std::move(handler); }
    void SetOnTerminate(THbaseEvent handler) { onTerminate_ = std::move(handler); }
    const THbaseEvent& OnInit() const { return onInit_; }
    const THbaseEvent& OnTerminate() const { return onTerminate_; }

    // The 16-bit return code of the last ODBC call made for this object.
    std::int16_t RetCode() const { return retCode_; }
    void SetRetCode(std::int16_t rc) { retCode_ = rc; }

    // Where the diagnostics of this object's failed calls are read: its handle type (1 environment,
    // 2 connection, 3 statement) and handle as they are now. Never allocates; a handle that does
    // not exist yet is reported as null.
    virtual void DiagnosticHandle(std::int16_t& handleType, void*& handle) const = 0;

    // The lost-connection rule: drop the connection this object belongs to, quietly. An environment
    // resolves itself, a connection itself, a statement its connection.
    virtual void ResolveLostConnection() = 0;
    // Whether the driver reports the connection this object belongs to as dead; asked quietly after
    // a failure whose records do not say so themselves.
    virtual bool ConnectionDead() const { return false; }
    // The traits of the connection this object belongs to as far as they are known, without asking
    // the driver; nullptr where it belongs to none (DriverTraits.h).
    virtual const TDriverTraits* KnownDriverTraits() const { return nullptr; }

    // Shared with exceptions that name this object as owner, so they can tell whether it still
    // exists when they are destroyed; holds nullptr once the object is being destroyed.
    const std::shared_ptr<THbase*>& LifeToken() const { return life_; }

protected:
    // Called first thing by the destructors of derived classes.
    void MarkDestroyed() { *life_ = nullptr; }

private:
    THbaseEvent onInit_;
    THbaseEvent onTerminate_;
    std::int16_t retCode_ = 0;
    std::shared_ptr<THbase*> life_;
};
