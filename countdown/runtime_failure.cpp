#include "countdown/runtime_failure.h"

namespace tarnvel {
namespace {

const char* NameOf(RuntimeFailureKind kind) {
    return kind == RuntimeFailureKind::TypeMismatch ? "Type mismatch" : "Overflow";
}

}  // namespace

RuntimeFailure::RuntimeFailure(RuntimeFailureKind kind) : std::runtime_error(NameOf(kind)), kind_(kind) {}

int RuntimeFailure::code() const noexcept {
    return kind_ == RuntimeFailureKind::TypeMismatch ? 13 : 6;
}

std::string DescribeRuntimeFailure(const RuntimeFailure& failure) {
    return "Run-time error '" + std::to_string(failure.code()) + "':\n\n" + failure.what();
}

}  // namespace tarnvel
