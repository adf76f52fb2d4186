#pragma once
// Exceptions raised by the shell and file-view components. Their messages are English and fixed, so callers may
// show them as they are; every component error derives from EComponentError.
#include <stdexcept>
#include <string>

class EComponentError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A size or index outside what a container can hold.
class ERangeError : public EComponentError {
public:
    using EComponentError::EComponentError;
};

// A value that cannot be turned into what was asked for (a drive letter outside A to Z).
class EConvertError : public EComponentError {
public:
    using EComponentError::EComponentError;
};
