// The one exception type of the program: raised by the few operations that fail by raising
// (reading a registry value of the wrong kind, a refused registry write), naming what failed.
#pragma once

#include <stdexcept>
#include <string>

namespace kestrover {

class KestroverError : public std::runtime_error {
public:
    explicit KestroverError(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace kestrover
