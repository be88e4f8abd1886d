#pragma once
// Components: named objects in an ownership tree. An owner keeps its components in the order they
// were inserted, destroys them in reverse order when it goes, and tells every component it owns
// (and itself) about each insertion and removal through Notification. Components with different
// owners (or none) ask for a removal notice with FreeNotification.
//
// An owner deletes what it owns, so owned components are created with new (never as members or on
// the stack); a component without an owner is an ordinary object.
//
// C++ note: the base constructor and destructor can only reach the TComponent part of the object
// being built or destroyed. Consequences:
// - The opInsert sent while a component is being constructed shows the newcomer as a plain
//   TComponent (dynamic_cast to its own class fails). A class whose type matters to its peers calls
//   AnnounceInsert() at the end of its own constructor to send opInsert again, fully built.
// - A class whose owned components use its members (a form and its controls) calls
//   DestroyComponents() first thing in its own destructor, so they go while those members live.
#include "platform/core/Persistent.h"

#include <string>
#include <string_view>
#include <vector>

enum TOperation
{
    opInsert,
    opRemove
};

// Component state flags, combined with | into a TComponentState.
using TComponentState = unsigned;
inline constexpr TComponentState csLoading = 1u << 0;
inline constexpr TComponentState csReading = 1u << 1;
inline constexpr TComponentState csWriting = 1u << 2;
inline constexpr TComponentState csDestroying = 1u << 3;
inline constexpr TComponentState csDesigning = 1u << 4;
inline constexpr TComponentState csAncestor = 1u << 5;
inline constexpr TComponentState csUpdating = 1u << 6;
inline constexpr TComponentState csFixups = 1u << 7;
inline constexpr TComponentState csFreeNotification = 1u << 8;
inline constexpr TComponentState csInline = 1u << 9;

class TComponent : public TPersistent
{
public:
    // The owner, when given, takes this component (InsertComponent) and will destroy it.
    explicit TComponent(TComponent* owner = nullptr);
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;
    // Marks the tree as destroying, sends opRemove to free-notification peers, destroys the owned
    // components (last first) and leaves the owner.
    ~TComponent() override;

    const std::string& Name() const { return name_; }
    // Raises EComponentError for a name that is not an identifier or that a sibling already has
    // (compared without regard to case). An empty name is always allowed.
    void SetName(const std::string& name);

    TComponent* Owner() const { return owner_; }
    int ComponentCount() const { return static_cast<int>(components_.size()); }
    // Raises EListError for a bad index.
    TComponent* Components(int index) const;
    int ComponentIndex() const;
    // First owned component with this name, compared without regard to case; nullptr if none.
    TComponent* FindComponent(std::string_view name) const;

    // Moves component under this owner (taking it from its old owner first); sends opInsert.
    void InsertComponent(TComponent* component);
    // Sends opRemove, then lets the component go without destroying it; it has no owner after.
    void RemoveComponent(TComponent* component);
    // Destroys every owned component, last first.
    void DestroyComponents();

    // Asks for Notification(this, opRemove) on component when this goes, and the other way round.
    void FreeNotification(TComponent* component);
    void RemoveFreeNotification(TComponent* component);

    TComponentState ComponentState() const { return state_; }
    bool HasState(TComponentState flags) const { return (state_ & flags) != 0; }
    // For the filer and the designers: csLoading, csReading and the like.
    void IncludeState(TComponentState flags) { state_ |= flags; }
    void ExcludeState(TComponentState flags) { state_ &= ~flags; }
    // csDesigning for this component and everything it owns.
    void SetDesigning(bool value);

    long Tag() const { return tag_; }
    void SetTag(long tag) { tag_ = tag; }

    // Called when loading from a stream has finished; the base clears csLoading.
    virtual void Loaded();
    // Marks this component and everything it owns as csDestroying. A class that must give up
    // resources before its members go may call it (and override it) early in its destructor.
    virtual void Destroying();

    // Told about every component inserted into or removed from the owner of this one, and about
    // free-notification peers that go. The base forgets a removed peer and passes the notice on to
    // every owned component. An override calls the base.
    virtual void Notification(TComponent* component, TOperation operation);

protected:
    // Sends opInsert for this component again, now that the most derived constructor has run.
    void AnnounceInsert();
    virtual void ValidateRename(TComponent* component, const std::string& curName,
                                const std::string& newName);

private:
    void Insert(TComponent* component);
    void Remove(TComponent* component);
    void AddFreeNotify(TComponent* component);
    void DropFreeNotify(TComponent* component);

    std::string name_;
    TComponent* owner_ = nullptr;
    std::vector<TComponent*> components_;
    std::vector<TComponent*> freeNotifies_;
    TComponentState state_ = 0;
    long tag_ = 0;
};
