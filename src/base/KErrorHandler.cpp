#include "base/KErrorHandler.h"

#include "base/KException.h"

#include <Poco/Mutex.h>

#include <iostream>

namespace {

Poco::FastMutex& CreationLock()
{
    static Poco::FastMutex lock;
    return lock;
}

Poco::FastMutex& ReportLock()
{
    static Poco::FastMutex lock;
    return lock;
}

KErrorHandler*& CurrentHandler()
{
    static KErrorHandler* current = KErrorHandler::DefaultHandler();
    return current;
}

// The current handler is set when the library is loaded.
struct InstallDefaultHandler {
    InstallDefaultHandler() { (void)CurrentHandler(); (void)ReportLock(); }
} installDefaultHandler;

} // namespace

KErrorHandler::~KErrorHandler() = default;

void KErrorHandler::ReportOther() { std::cerr << "unknown exception" << std::endl; }

void KErrorHandler::ReportException(const KException& e)
{
    std::cerr << e.what() << ": " << e.Message() << std::endl;
}

void KErrorHandler::ReportStdException(const std::exception& e) { std::cerr << e.what() << std::endl; }

KErrorHandler* KErrorHandler::DefaultHandler()
{
    Poco::FastMutex::ScopedLock guard(CreationLock());
    static KErrorHandler* handler = new KErrorHandler();
    return handler;
}

KErrorHandler* KErrorHandler::SetCurrent(KErrorHandler* handler)
{
    Poco::FastMutex::ScopedLock guard(ReportLock());
    KErrorHandler* previous = CurrentHandler();
    CurrentHandler() = handler ? handler : DefaultHandler();
    return previous;
}

void KErrorHandler::Handle(const KException& e)
{
    try {
        Poco::FastMutex::ScopedLock guard(ReportLock());
        try {
            CurrentHandler()->ReportException(e);
        } catch (...) {
            // A failing handler never disturbs the caller.
        }
    } catch (...) {
    }
}
