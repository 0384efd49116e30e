#pragma once

class StaleInputFilter;

// The busy cursor behind TBusyCursor: shown from the first Begin to the
// matching End, so scopes may nest. When the outermost scope ends, the input
// given meanwhile is dropped. While there is no QApplication it only counts.
class BusyCursor {
public:
    explicit BusyCursor(StaleInputFilter& staleInput) noexcept : staleInput_(staleInput) {}
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;

    void Begin() noexcept;
    // Each End matches one Begin.
    void End() noexcept;

private:
    StaleInputFilter& staleInput_;
    int depth_ = 0;
};
