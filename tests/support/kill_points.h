#pragma once
// Kills at chosen file-changing calls (see system_calls.h), in forked children, so a test can
// stop a piece of work at every step it takes.

#include <functional>
#include <vector>

namespace nibblet::test {

// Runs `body` in a child and returns how many file-changing calls it made (only those of the
// function `only` when given); -1 when the child did not end normally.
int callsMadeBy(const std::function<void()>& body, const char* only = nullptr);
// Runs `body` in a child that dies at call `n` (made in part first when `tear`); true when the
// child died there, false when the body ended before call `n`.
bool killedAtCall(int n, bool tear, const std::function<void()>& body);
// Up to `most` call numbers from 1 to `total`: all of them when there are few, else the first
// and last ten and an even spread between, so early, middle and late kills are all covered.
std::vector<int> killPoints(int total, int most);

}  // namespace nibblet::test
