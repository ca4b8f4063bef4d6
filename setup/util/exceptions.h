// The setup program's exception tree.
//
// Every failure of the kit is an exception carrying a fixed English message. EAbort is the silent
// abort that skips the current object; EAIUserAbort is the user's cancellation, which the engine
// answers with the bad-installation pages. EAIUserAbort deliberately does not derive from EAbort:
// a handler that swallows EAbort must not swallow a cancellation.
#pragma once

#include <stdexcept>
#include <string>

namespace fnwd {

class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string& message) : std::runtime_error(message) {}
};

// Ends the current object's processing quietly.
class EAbort : public Exception {
public:
    EAbort() : Exception("Operation aborted") {}
    explicit EAbort(const std::string& message) : Exception(message) {}
};

// Root of the kit's own exceptions.
class IException : public Exception {
public:
    using Exception::Exception;
};

class ETarnwickAbnormal : public IException {
public:
    using IException::IException;
};

inline constexpr const char* kUserAbortMessage = "Installation aborted by the user";

class EAIUserAbort : public IException {
public:
    EAIUserAbort() : IException(kUserAbortMessage) {}
};

// Failures of system calls (folders, temporary files, Windows version).
class EAPIRoutines : public ETarnwickAbnormal {
public:
    using ETarnwickAbnormal::ETarnwickAbnormal;
};

// A registry write that failed.
class EIRCannotWriteValue : public ETarnwickAbnormal {
public:
    using ETarnwickAbnormal::ETarnwickAbnormal;
};

// Failures of the platform's registry object itself.
class ERegistryException : public Exception {
public:
    using Exception::Exception;
};

}  // namespace fnwd
