// Process-wide sink for the exceptions that the file layer catches. Reports
// go to the standard error stream, one line each, never interleaved: a lock
// serialises them. Handle never throws.
#pragma once

#include "base/KBaseObject.h"

#include <exception>

class KException;

class KErrorHandler : public KBaseObject {
public:
    ~KErrorHandler() override;
    virtual void ReportOther();
    virtual void ReportException(const KException& e);
    virtual void ReportStdException(const std::exception& e);

    // The handler created on first request and never destroyed.
    static KErrorHandler* DefaultHandler();
    // Replaces the handler that receives reports; null restores the default.
    // Returns the previous one.
    static KErrorHandler* SetCurrent(KErrorHandler* handler);
    static void Handle(const KException& e);
};
