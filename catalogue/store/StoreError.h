// The database error every failing table operation raises, carrying the store's message text.
#pragma once

#include <stdexcept>
#include <string>

class EStoreError : public std::runtime_error
{
public:
    explicit EStoreError(const std::string &message) : std::runtime_error(message) {}
};
