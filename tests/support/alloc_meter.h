// Measures the heap memory the code under test asks for. A test binary that
// uses a meter replaces the global operator new and delete (the plain and
// array forms, with and without nothrow and size): every block made while a
// meter runs is counted until it is deleted, so Peak() is the most memory
// those blocks held at once and Live() what they hold now.
#pragma once
#include <cstddef>

namespace qmtest {

class AllocMeter {
public:
    // Starts counting from zero; one meter runs at a time.
    AllocMeter();
    ~AllocMeter();
    AllocMeter(const AllocMeter&) = delete;
    AllocMeter& operator=(const AllocMeter&) = delete;

    size_t Peak() const;
    size_t Live() const;
};

}  // namespace qmtest
