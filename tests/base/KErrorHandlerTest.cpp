#include "base/KErrorHandler.h"
#include "base/KException.h"
#include "base/KFile.h"
#include "base/KFileStream.h"
#include "base/KPath.h"
#include "base/KString.h"

#include <gtest/gtest.h>

#include <iostream>
#include <sstream>
#include <stdexcept>

namespace {

// Redirects the standard error stream for the lifetime of the object.
class CaptureStdErr {
public:
    CaptureStdErr() : m_old(std::cerr.rdbuf(m_text.rdbuf())) {}
    ~CaptureStdErr() { std::cerr.rdbuf(m_old); }
    std::string Text() const { return m_text.str(); }

private:
    std::ostringstream m_text;
    std::streambuf* m_old;
};

class ThrowingHandler : public KErrorHandler {
public:
    void ReportException(const KException&) override
    {
        ++calls;
        throw std::runtime_error("handler failed");
    }
    int calls = 0;
};

TEST(KErrorHandler, ReportLineFormats)
{
    CaptureStdErr capture;
    KErrorHandler* handler = KErrorHandler::DefaultHandler();
    handler->ReportException(KException("x", "Exception"));
    handler->ReportStdException(std::runtime_error("bad"));
    handler->ReportOther();
    KErrorHandler::Handle(KException("disk full", "IOError"));  // through the current handler
    EXPECT_EQ(capture.Text(), "Exception: x\nbad\nunknown exception\nIOError: disk full\n");
}

TEST(KErrorHandler, HandleSwallowsAThrowingHandler)
{
    ThrowingHandler throwing;
    KErrorHandler* previous = KErrorHandler::SetCurrent(&throwing);
    EXPECT_NO_THROW(KErrorHandler::Handle(KException("x")));
    EXPECT_EQ(throwing.calls, 1);
    KErrorHandler::SetCurrent(previous);
}

TEST(KErrorHandler, FileFailuresOfOtherKindsAreNotReported)
{
    CaptureStdErr capture;
    KFileStream stream;
    EXPECT_EQ(stream.Open(KFile("/nonexistent-folder/none.cfg"), FOM_READ), -1);
    EXPECT_EQ(capture.Text(), "");
}

// Base-library classes without a record of their own share the root's.
TEST(KBaseObject, RecordOfTheRoot)
{
    const KRuntimeClass* record = KBaseObject::ClassRecord();
    EXPECT_EQ(record->className, "KBaseObject");
    EXPECT_EQ(record->schema, 0xFFFFu);
    EXPECT_TRUE(record->createObject == nullptr && record->getBaseClass == nullptr);
    EXPECT_EQ(KErrorHandler::DefaultHandler()->GetRuntimeClass(), record);
    EXPECT_EQ(KFile("a").GetRuntimeClass(), record);
    EXPECT_EQ(static_cast<const KString&>(KPath("a")).GetRuntimeClass(), record);
}

} // namespace
