#pragma once
// Counts a programmatic change of a window's controls while it lives, so their change
// signals do not act as if the user had made it (the window checks its counter).

namespace widgets {

class QuietChanges {
public:
    explicit QuietChanges(int& counter) : m_counter(counter) { ++m_counter; }
    ~QuietChanges() { --m_counter; }
    QuietChanges(const QuietChanges&) = delete;
    QuietChanges& operator=(const QuietChanges&) = delete;

private:
    int& m_counter;
};

}  // namespace widgets
