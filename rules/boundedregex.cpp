#include "rules/boundedregex.h"

#define PCRE2_CODE_UNIT_WIDTH 16
#include <pcre2.h>

struct BoundedRegex::Compiled {
    QString source;
    QString error;
    qsizetype offset = -1;
    // Null for an invalid pattern.
    pcre2_code_16* code = nullptr;
    pcre2_match_context_16* context = nullptr;

    Compiled() = default;
    Compiled(const Compiled&) = delete;
    Compiled& operator=(const Compiled&) = delete;
    ~Compiled() {
        pcre2_match_context_free_16(context);
        pcre2_code_free_16(code);
    }
};

namespace {

// One match's scratch space per thread; one captured pair is all a yes or no needs,
// whatever groups the pattern has.
struct MatchData {
    pcre2_match_data_16* data = pcre2_match_data_create_16(1, nullptr);
    MatchData() = default;
    MatchData(const MatchData&) = delete;
    MatchData& operator=(const MatchData&) = delete;
    ~MatchData() { pcre2_match_data_free_16(data); }
};

// The JIT's stack, per thread, as large as QRegularExpression lets it grow, so that an
// expression that matched there still matches here; deeper still is over budget.
struct JitStack {
    pcre2_jit_stack_16* stack = pcre2_jit_stack_create_16(32 * 1024, 512 * 1024, nullptr);
    JitStack() = default;
    JitStack(const JitStack&) = delete;
    JitStack& operator=(const JitStack&) = delete;
    ~JitStack() { pcre2_jit_stack_free_16(stack); }
};

pcre2_jit_stack_16* threadJitStack(void*) {
    thread_local const JitStack own;
    return own.stack;
}

}  // namespace

BoundedRegex::BoundedRegex(const QString& pattern) {
    auto made = std::make_shared<Compiled>();
    made->source = pattern;
    int code = 0;
    PCRE2_SIZE errorAt = 0;
    // The options QRegularExpression gives a case-insensitive pattern.
    pcre2_code_16* compiledCode = pcre2_compile_16(
        reinterpret_cast<PCRE2_SPTR16>(pattern.utf16()), PCRE2_SIZE(pattern.size()),
        PCRE2_UTF | PCRE2_CASELESS, &code, &errorAt, nullptr);
    if (!compiledCode) {
        PCRE2_UCHAR16 message[256];
        const int length = pcre2_get_error_message_16(code, message, 256);
        made->error = length > 0
                          ? QString::fromUtf16(reinterpret_cast<const char16_t*>(message), length)
                          : QStringLiteral("error %1").arg(code);
        made->offset = qsizetype(errorAt);
        compiled = std::move(made);
        return;
    }
    made->code = compiledCode;
    // Without the JIT (no executable memory) the interpreter runs, under all three bounds.
    pcre2_jit_compile_16(compiledCode, PCRE2_JIT_COMPLETE);
    made->context = pcre2_match_context_create_16(nullptr);
    if (!made->context) {
        pcre2_code_free_16(made->code);
        made->code = nullptr;
        made->error = QStringLiteral("out of memory");
        made->offset = 0;
        compiled = std::move(made);
        return;
    }
    pcre2_set_match_limit_16(made->context, kMatchLimit);
    pcre2_set_depth_limit_16(made->context, kDepthLimit);
    pcre2_set_heap_limit_16(made->context, kHeapLimitKiB);
    pcre2_jit_stack_assign_16(made->context, threadJitStack, nullptr);
    compiled = std::move(made);
}

bool BoundedRegex::isValid() const {
    return compiled && compiled->code;
}

QString BoundedRegex::pattern() const {
    return compiled ? compiled->source : QString();
}

QString BoundedRegex::errorString() const {
    return compiled ? compiled->error : QString();
}

qsizetype BoundedRegex::errorOffset() const {
    return compiled ? compiled->offset : -1;
}

BoundedRegex::Result BoundedRegex::match(QStringView subject) const {
    if (!isValid()) {
        return Result::NoMatch;
    }
    thread_local const MatchData scratch;
    if (!scratch.data) {
        return Result::OverBudget;
    }
    const int found =
        pcre2_match_16(compiled->code, reinterpret_cast<PCRE2_SPTR16>(subject.utf16()),
                       PCRE2_SIZE(subject.size()), 0, 0, scratch.data, compiled->context);
    if (found >= 0) {
        return Result::Match;
    }
    switch (found) {
        case PCRE2_ERROR_MATCHLIMIT:
        case PCRE2_ERROR_DEPTHLIMIT:
        case PCRE2_ERROR_HEAPLIMIT:
        case PCRE2_ERROR_JIT_STACKLIMIT:
        case PCRE2_ERROR_NOMEMORY:
            return Result::OverBudget;
        default:
            return Result::NoMatch;
    }
}
