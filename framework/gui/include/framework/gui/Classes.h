#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

// The root of the framework's classes; not copyable, since controls and
// forms have identity.
class TObject {
public:
    TObject() = default;
    TObject(const TObject&) = delete;
    TObject& operator=(const TObject&) = delete;
    virtual ~TObject() = default;
};

// A named object with an owner. An owner destroys the components given to it
// with InsertComponent, newest first, before itself.
class TComponent : public TObject {
public:
    explicit TComponent(TComponent* owner) noexcept : owner_(owner) {}
    ~TComponent() override { DestroyComponents(); }

    TComponent* Owner() const noexcept { return owner_; }
    void InsertComponent(std::unique_ptr<TComponent> component);

    std::string Name;

    const std::vector<std::unique_ptr<TComponent>>& Components() const noexcept { return components_; }

protected:
    void DestroyComponents() noexcept;

private:
    TComponent* owner_;
    std::vector<std::unique_ptr<TComponent>> components_;
};

// A rectangle in pixels; Right and Bottom lie just outside it.
struct TRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;

    int Width() const noexcept { return Right - Left; }
    int Height() const noexcept { return Bottom - Top; }
    friend bool operator==(const TRect&, const TRect&) = default;
};

using TNotifyEvent = std::function<void(TObject* Sender)>;
