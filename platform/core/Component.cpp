#include "platform/core/Component.h"

#include "platform/core/Exception.h"
#include "platform/core/StringUtils.h"

#include <algorithm>

namespace {

bool IsValidIdent(const std::string& s)
{
    auto alpha = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; };
    if (s.empty() || !alpha(s[0]))
        return false;
    return std::all_of(s.begin() + 1, s.end(), [&](char c) { return alpha(c) || (c >= '0' && c <= '9'); });
}

} // namespace

TComponent::TComponent(TComponent* owner)
{
    if (owner)
        owner->InsertComponent(this);
}

TComponent::~TComponent()
{
    Destroying();
    // Peers forget us before we go; each notice removes the peer from our list, so take from the end.
    while (!freeNotifies_.empty()) {
        TComponent* peer = freeNotifies_.back();
        freeNotifies_.pop_back();
        peer->DropFreeNotify(this);
        peer->Notification(this, opRemove);
    }
    DestroyComponents();
    if (owner_)
        owner_->RemoveComponent(this);
}

void TComponent::SetName(const std::string& name)
{
    if (name == name_)
        return;
    if (!name.empty() && !IsValidIdent(name))
        throw EComponentError("'" + name + "' is not a valid component name");
    if (owner_)
        owner_->ValidateRename(this, name_, name);
    else
        ValidateRename(nullptr, name_, name);
    name_ = name;
}

void TComponent::ValidateRename(TComponent* component, const std::string& curName, const std::string& newName)
{
    if (component && !newName.empty() && !SameText(curName, newName)) {
        TComponent* other = FindComponent(newName);
        if (other && other != component)
            throw EComponentError("A component named " + newName + " already exists");
    }
}

TComponent* TComponent::Components(int index) const
{
    if (index < 0 || index >= ComponentCount())
        throw EListError("List index out of bounds (" + std::to_string(index) + ")");
    return components_[static_cast<std::size_t>(index)];
}

int TComponent::ComponentIndex() const
{
    if (!owner_)
        return -1;
    const auto& list = owner_->components_;
    const auto it = std::find(list.begin(), list.end(), this);
    return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

TComponent* TComponent::FindComponent(std::string_view name) const
{
    if (name.empty())
        return nullptr;
    for (TComponent* c : components_)
        if (SameText(c->name_, name))
            return c;
    return nullptr;
}

void TComponent::Insert(TComponent* component)
{
    components_.push_back(component);
    component->owner_ = this;
}

void TComponent::Remove(TComponent* component)
{
    const auto it = std::find(components_.begin(), components_.end(), component);
    if (it != components_.end())
        components_.erase(it);
    component->owner_ = nullptr;
}

void TComponent::InsertComponent(TComponent* component)
{
    if (!component || component->owner_ == this)
        return;
    ValidateRename(component, std::string(), component->name_);
    if (component->owner_)
        component->owner_->RemoveComponent(component);
    Insert(component);
    Notification(component, opInsert);
}

void TComponent::RemoveComponent(TComponent* component)
{
    if (!component || component->owner_ != this)
        return;
    Notification(component, opRemove);
    Remove(component);
}

void TComponent::DestroyComponents()
{
    while (!components_.empty()) {
        TComponent* c = components_.back();
        // A component that asked for notices is removed with one, so its peers among our
        // remaining components forget it; the others simply leave the list.
        if (c->HasState(csFreeNotification))
            RemoveComponent(c);
        else
            Remove(c);
        delete c;
    }
}

void TComponent::AnnounceInsert()
{
    if (owner_)
        owner_->Notification(this, opInsert);
}

void TComponent::AddFreeNotify(TComponent* component)
{
    if (std::find(freeNotifies_.begin(), freeNotifies_.end(), component) == freeNotifies_.end())
        freeNotifies_.push_back(component);
}

void TComponent::DropFreeNotify(TComponent* component)
{
    const auto it = std::find(freeNotifies_.begin(), freeNotifies_.end(), component);
    if (it != freeNotifies_.end())
        freeNotifies_.erase(it);
}

void TComponent::FreeNotification(TComponent* component)
{
    if (!component || component == this)
        return;
    // Components of one owner hear of each other's removal through the owner already.
    if (!owner_ || component->owner_ != owner_) {
        AddFreeNotify(component);
        component->AddFreeNotify(this);
        component->state_ |= csFreeNotification;
    }
    state_ |= csFreeNotification;
}

void TComponent::RemoveFreeNotification(TComponent* component)
{
    if (!component)
        return;
    DropFreeNotify(component);
    component->DropFreeNotify(this);
}

void TComponent::SetDesigning(bool value)
{
    if (value)
        state_ |= csDesigning;
    else
        state_ &= ~csDesigning;
    for (TComponent* c : components_)
        c->SetDesigning(value);
}

void TComponent::Loaded()
{
    state_ &= ~csLoading;
}

void TComponent::Destroying()
{
    if (state_ & csDestroying)
        return;
    state_ |= csDestroying;
    for (TComponent* c : components_)
        c->Destroying();
}

void TComponent::Notification(TComponent* component, TOperation operation)
{
    if (operation == opRemove && component)
        RemoveFreeNotification(component);
    // A handler may insert or remove components; re-check the bound on every step.
    for (std::size_t i = 0; i < components_.size(); ++i)
        components_[i]->Notification(component, operation);
}
