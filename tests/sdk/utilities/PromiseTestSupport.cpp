#include "tests/sdk/utilities/PromiseTestSupport.hpp"

#include "platform/foundation/Exception.hpp"
#include "platform/foundation/RunLoop.hpp"

namespace promisetests {

void PromiseTest::SetUp() {
    foundation::Clock::installManual();
    testQueue_ = dispatch::createQueue(testQueueLabel);
}

void PromiseTest::settle() { ASSERT_TRUE(foundation::RunLoop::main()->runUntilIdle()); }

void PromiseTest::advanceSeconds(double seconds) {
    foundation::Clock::advance(ZPMPromiseDelayFromSeconds(seconds));
    settle();
}

std::shared_ptr<foundation::Number> number(std::int64_t value) { return foundation::Number::withInteger(value); }

std::shared_ptr<foundation::Error> error(std::int64_t code, std::string domain) {
    return foundation::Error::make(std::move(domain), code);
}

std::shared_ptr<foundation::Array> array(std::vector<objc::Id> items) {
    return foundation::Array::make(std::move(items));
}

std::int64_t integerOf(const objc::Id& object) {
    auto value = foundation::numberValue(object);
    EXPECT_TRUE(value) << "not a number: " << (object ? object->description() : "nil");
    return value ? value->integerValue() : -1;
}

void expectAssertionFailure(const std::function<void()>& call, const std::string& reason) {
    try {
        call();
        ADD_FAILURE() << "expected an assertion failure: " << reason;
    } catch (const foundation::Exception& exception) {
        EXPECT_EQ(exception.name(), foundation::NSInternalInconsistencyException);
        EXPECT_EQ(exception.reason(), reason);
    }
}

void CallLog::add(std::string entry) { entries_.lock()->push_back(std::move(entry)); }

void CallLog::addOnQueue(const std::string& entry) { add(entry + "@" + dispatch::currentQueueLabel()); }

std::vector<std::string> CallLog::entries() const { return entries_.copy(); }

std::size_t CallLog::count() const { return entries_.lock()->size(); }

}  // namespace promisetests
