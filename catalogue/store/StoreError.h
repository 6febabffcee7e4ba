// The database error every failing table operation raises, carrying the store's message text.
#pragma once

#include <stdexcept>
#include <string>

class StoreError : public std::runtime_error
{
public:
    explicit StoreError(const std::string &message) : std::runtime_error(message) {}
};
