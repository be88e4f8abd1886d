#include "platform/core/Component.h"
#include "platform/core/Exception.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using Log = std::vector<std::string>;

// Records every notice and its own destruction, with the state it saw.
class TProbe : public TComponent
{
public:
    TProbe(TComponent* owner, std::string name, Log& log) : TComponent(owner), log_(log) { SetName(name); }
    ~TProbe() override { log_.push_back("~" + Name() + (HasState(csDestroying) ? " destroying" : "")); }
    void Notification(TComponent* component, TOperation operation) override
    {
        TComponent::Notification(component, operation);
        log_.push_back(Name() + (operation == opInsert ? " +" : " -") +
                       (component->Name().empty() ? std::string("?") : component->Name()));
    }

private:
    Log& log_;
};

// A peer that holds a pointer to another component and must drop it when that one goes.
class TLinked : public TComponent
{
public:
    using TComponent::TComponent;
    void SetLink(TComponent* link)
    {
        link_ = link;
        if (link)
            link->FreeNotification(this);
    }
    TComponent* Link() const { return link_; }
    void Notification(TComponent* component, TOperation operation) override
    {
        TComponent::Notification(component, operation);
        if (operation == opRemove && component == link_)
            link_ = nullptr;
    }

private:
    TComponent* link_ = nullptr;
};

class TKnownType : public TComponent
{
public:
    explicit TKnownType(TComponent* owner) : TComponent(owner) { AnnounceInsert(); }
};

} // namespace

TEST(Component, OwnerKeepsOrderFindsByNameAndDestroysInReverseOrder)
{
    Log log;
    {
        TProbe owner(nullptr, "Form1", log);
        new TProbe(&owner, "a", log);
        auto* b = new TProbe(&owner, "b", log);
        new TProbe(&owner, "c", log);
        ASSERT_EQ(owner.ComponentCount(), 3);
        EXPECT_EQ(owner.Components(1), b);
        EXPECT_EQ(b->Owner(), &owner);
        EXPECT_EQ(b->ComponentIndex(), 1);
        EXPECT_EQ(owner.FindComponent("B"), b);
        EXPECT_EQ(owner.FindComponent("zz"), nullptr);
        EXPECT_EQ(owner.FindComponent(""), nullptr);
        EXPECT_THROW(owner.Components(3), EListError);
        log.clear();
    }
    // The owner's own destructor body runs before the base marks the tree; every owned component
    // knows it is being destroyed before any of them goes, and they go last first.
    EXPECT_EQ(log, (Log{"~Form1", "~c destroying", "~b destroying", "~a destroying"}));
}

TEST(Component, InsertAndRemoveNotifyTheOwnerAndEveryOwnedComponent)
{
    Log log;
    TProbe owner(nullptr, "Form1", log);
    auto* a = new TProbe(&owner, "a", log);
    log.clear();

    TProbe loose(nullptr, "x", log);
    owner.InsertComponent(&loose);
    // The owner hears first, then passes the notice to its components in order (the newcomer too).
    EXPECT_EQ(log, (Log{"a +x", "x +x", "Form1 +x"}));
    EXPECT_EQ(owner.ComponentCount(), 2);

    log.clear();
    owner.RemoveComponent(&loose);
    EXPECT_EQ(log, (Log{"a -x", "x -x", "Form1 -x"}));
    EXPECT_EQ(loose.Owner(), nullptr);
    EXPECT_EQ(owner.ComponentCount(), 1);

    // Deleting an owned component takes it out of its owner with the same notice.
    log.clear();
    delete a;
    EXPECT_EQ(log, (Log{"~a", "Form1 -a"}));
    EXPECT_EQ(owner.ComponentCount(), 0);
}

TEST(Component, FreeNotificationTellsAPeerOfAnotherOwner)
{
    auto formA = std::make_unique<TComponent>();
    auto formB = std::make_unique<TComponent>();
    auto* target = new TComponent(formA.get());
    auto* user = new TLinked(formB.get());
    user->SetLink(target);
    EXPECT_TRUE(target->HasState(csFreeNotification));

    formA.reset(); // destroys target
    EXPECT_EQ(user->Link(), nullptr);

    // The notice goes both ways, and a peer that goes first is forgotten (no dangling notice).
    auto* other = new TComponent(nullptr);
    user->SetLink(other);
    formB.reset(); // destroys user; other must not keep a pointer to it
    delete other;  // would notify a freed user (ASan) if it had
}

TEST(Component, SiblingsHearOfEachOthersDestructionWhileTheOwnerGoes)
{
    auto owner = std::make_unique<TComponent>();
    auto* user = new TLinked(owner.get());
    auto* target = new TComponent(owner.get()); // inserted later, so destroyed first
    target->SetName("target");
    user->SetLink(target);
    EXPECT_TRUE(target->HasState(csFreeNotification));
    owner.reset();
}

TEST(Component, RemoveFreeNotificationStopsTheNotice)
{
    TComponent target;
    TLinked user;
    user.SetLink(&target);
    target.RemoveFreeNotification(&user);
    {
        TComponent dummy; // unrelated component going away changes nothing
    }
    EXPECT_EQ(user.Link(), &target);
}

TEST(Component, NamesAreIdentifiersUniqueAmongSiblingsIgnoringCase)
{
    TComponent owner;
    auto* a = new TComponent(&owner);
    a->SetName("edt_xm");
    auto* b = new TComponent(&owner);
    try {
        b->SetName("EDT_XM");
        FAIL() << "no exception";
    } catch (const EComponentError& e) {
        EXPECT_EQ(e.Message(), "A component named EDT_XM already exists");
    }
    EXPECT_THROW(b->SetName("1abc"), EComponentError);
    EXPECT_THROW(b->SetName("a b"), EComponentError);
    a->SetName("EDT_XM"); // renaming itself to another case is fine
    b->SetName("edt_xb");
    b->SetName("");
    EXPECT_EQ(owner.FindComponent("edt_xm"), a);

    TComponent loose;
    loose.SetName("edt_xm");
    EXPECT_THROW(owner.InsertComponent(&loose), EComponentError);
    EXPECT_EQ(loose.Owner(), nullptr);
}

TEST(Component, AnnounceInsertLetsPeersSeeTheFullType)
{
    struct TWatcher : TComponent
    {
        using TComponent::TComponent;
        int seen = 0;
        void Notification(TComponent* c, TOperation op) override
        {
            TComponent::Notification(c, op);
            if (op == opInsert && dynamic_cast<TKnownType*>(c))
                ++seen;
        }
    };
    TComponent owner;
    auto* watcher = new TWatcher(&owner);
    new TKnownType(&owner);
    EXPECT_EQ(watcher->seen, 1);
}

TEST(Component, StateFlagsLoadedAndDesigning)
{
    TComponent owner;
    auto* child = new TComponent(&owner);
    owner.IncludeState(csLoading | csReading);
    EXPECT_TRUE(owner.HasState(csLoading));
    owner.Loaded();
    EXPECT_FALSE(owner.HasState(csLoading));
    EXPECT_TRUE(owner.HasState(csReading));
    owner.ExcludeState(csReading);
    EXPECT_EQ(owner.ComponentState(), 0u);

    owner.SetDesigning(true);
    EXPECT_TRUE(child->HasState(csDesigning));
    owner.SetDesigning(false);
    EXPECT_FALSE(child->HasState(csDesigning));
    EXPECT_EQ(owner.ClassName(), "TComponent");
}
