#include "framework/gui/Classes.h"

void TComponent::InsertComponent(std::unique_ptr<TComponent> component)
{
    components_.push_back(std::move(component));
}

void TComponent::DestroyComponents() noexcept
{
    while (!components_.empty())
        components_.pop_back();
}
