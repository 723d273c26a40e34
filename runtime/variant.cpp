#include <util/variant.h>

#include <climits>
#include <cmath>
#include <cstdint>

static_assert(sizeof(YVariable) == 16, "kind byte plus an 8-byte value aligned to 8");

namespace {

enum ArithmeticCode { Add = 0, Subtract = 1, Multiply = 2, Divide = 3 };
enum CompareCode { Greater = 0, Less = 1, GreaterEqual = 2, LessEqual = 3, Equal = 4, NotEqual = 5 };

const double kTolerance = 0.00001;

// Exact comparison of two integers of one type.
template <typename T>
bool CompareExact(T left, T right, int code)
{
    switch (code) {
    case Greater:
        return left > right;
    case Less:
        return left < right;
    case GreaterEqual:
        return left >= right;
    case LessEqual:
        return left <= right;
    case Equal:
        return left == right;
    case NotEqual:
        return left != right;
    default:
        return false;
    }
}

// Unsigned arithmetic wraps without undefined behaviour; signed results are taken from its bits.
uint32_t WrapArithmetic(uint32_t left, uint32_t right, int code)
{
    switch (code) {
    case Add:
        return left + right;
    case Subtract:
        return left - right;
    default:
        return left * right;
    }
}

// Truncates toward zero; NaN gives 0 and values beyond 64 bits give 0 rather than undefined behaviour.
int64_t TruncateToInt64(double value)
{
    const double limit = 9223372036854775808.0; // 2^63
    if (std::isnan(value) || value >= limit || value < -limit) {
        return 0;
    }
    return static_cast<int64_t>(value);
}

} // namespace

YVariable::YVariable() : m_kind(KindInvalid), m_value()
{
    m_value.raw = 0;
}

YVariable::YVariable(bool value) : YVariable()
{
    *this = value;
}

YVariable::YVariable(unsigned long value) : YVariable()
{
    *this = value;
}

YVariable::YVariable(void* value) : YVariable()
{
    *this = value;
}

YVariable::YVariable(int value) : YVariable()
{
    *this = value;
}

YVariable::YVariable(double value) : YVariable()
{
    *this = value;
}

YVariable& YVariable::operator=(bool value)
{
    Clear();
    m_kind = KindBool;
    m_value.b = value;
    return *this;
}

YVariable& YVariable::operator=(unsigned long value)
{
    Clear();
    m_kind = KindDword;
    m_value.dw = value;
    return *this;
}

YVariable& YVariable::operator=(void* value)
{
    Clear();
    m_kind = KindPointer;
    m_value.p = value;
    return *this;
}

YVariable& YVariable::operator=(int value)
{
    Clear();
    m_kind = KindInt;
    m_value.i = value;
    return *this;
}

YVariable& YVariable::operator=(double value)
{
    Clear();
    m_kind = KindDouble;
    m_value.d = value;
    return *this;
}

void YVariable::Clear()
{
    m_kind = KindInvalid;
    m_value.raw = 0;
}

int YVariable::ToInt() const
{
    switch (m_kind) {
    case KindBool:
        return m_value.b ? 1 : 0;
    case KindInt:
        return m_value.i;
    case KindDouble: {
        // Saturate instead of the undefined conversion of an out-of-range double.
        const double value = m_value.d;
        if (std::isnan(value)) {
            return 0;
        }
        if (value >= 2147483648.0) {
            return INT_MAX;
        }
        if (value <= -2147483649.0) {
            return INT_MIN;
        }
        return static_cast<int>(value);
    }
    case KindDword:
        return static_cast<int>(m_value.dw);
    case KindPointer:
        return static_cast<int>(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(m_value.p)));
    default:
        return 0;
    }
}

unsigned long YVariable::ToDword() const
{
    if (m_kind == KindDouble) {
        return static_cast<unsigned long>(static_cast<uint32_t>(TruncateToInt64(m_value.d)));
    }
    return static_cast<unsigned long>(static_cast<uint32_t>(ToInt()));
}

bool YVariable::ToBool() const
{
    switch (m_kind) {
    case KindBool:
        return m_value.b;
    case KindInt:
        return m_value.i != 0;
    case KindDouble:
        return m_value.d != 0.0;
    case KindDword:
        return m_value.dw != 0;
    default:
        return false;
    }
}

double YVariable::ToDouble() const
{
    switch (m_kind) {
    case KindBool:
        return m_value.b ? 1.0 : 0.0;
    case KindInt:
        return m_value.i;
    case KindDouble:
        return m_value.d;
    case KindDword:
        return static_cast<double>(m_value.dw);
    default:
        return 0.0;
    }
}

void* YVariable::ToPvoid() const
{
    switch (m_kind) {
    case KindInt:
    case KindDword:
        return reinterpret_cast<void*>(static_cast<uintptr_t>(ToDword()));
    case KindPointer:
        return m_value.p;
    default:
        return nullptr;
    }
}

YVariable YVariable::operator+(const YVariable& other) const
{
    return Operator2(other, Add);
}

YVariable YVariable::operator-(const YVariable& other) const
{
    return Operator2(other, Subtract);
}

YVariable YVariable::operator*(const YVariable& other) const
{
    return Operator2(other, Multiply);
}

YVariable YVariable::operator/(const YVariable& other) const
{
    return Operator2(other, Divide);
}

bool YVariable::operator>(const YVariable& other) const
{
    return Compare2(other, Greater);
}

bool YVariable::operator<(const YVariable& other) const
{
    return Compare2(other, Less);
}

bool YVariable::operator>=(const YVariable& other) const
{
    return Compare2(other, GreaterEqual);
}

bool YVariable::operator<=(const YVariable& other) const
{
    return Compare2(other, LessEqual);
}

bool YVariable::operator==(const YVariable& other) const
{
    return Compare2(other, Equal);
}

bool YVariable::operator!=(const YVariable& other) const
{
    return Compare2(other, NotEqual);
}

YVariable YVariable::Operator2(const YVariable& other, int code) const
{
    if (!IsNumber() || !other.IsNumber()) {
        return YVariable();
    }
    if (m_kind == KindDouble) {
        switch (other.m_kind) {
        case KindBool:
        case KindInt:
            return Operator(m_value.d, other.ToInt(), code);
        case KindDword:
            return Operator(m_value.d, other.m_value.dw, code);
        default:
            return Operator(m_value.d, other.m_value.d, code);
        }
    }
    // Left operand is bool, int or dword.
    switch (other.m_kind) {
    case KindBool:
        return Operator(ToInt(), other.ToInt(), code);
    case KindInt:
        return code == Divide ? Operator(ToDouble(), other.ToDouble(), code) : Operator(ToInt(), other.ToInt(), code);
    case KindDword:
        return code == Divide ? Operator(ToDouble(), other.ToDouble(), code) : Operator(ToInt(), other.ToDword(), code);
    default:
        return Operator(ToDouble(), other.ToDouble(), code);
    }
}

bool YVariable::Compare2(const YVariable& other, int code) const
{
    const auto comparable = [](Kind kind) { return kind == KindInt || kind == KindDouble || kind == KindDword; };
    if (!comparable(static_cast<Kind>(m_kind)) || !comparable(static_cast<Kind>(other.m_kind))) {
        return false;
    }
    if (m_kind == KindDouble || other.m_kind == KindDouble) {
        return Compare(ToDouble(), other.ToDouble(), code);
    }
    if (m_kind == KindDword && other.m_kind == KindDword) {
        return Compare(m_value.dw, other.m_value.dw, code);
    }
    // An int against an int or a dword: the dword is taken as a signed integer.
    return Compare(ToInt(), other.ToInt(), code);
}

YVariable YVariable::Operator(int left, int right, int code)
{
    if (code == Divide) {
        if (right == 0) {
            return YVariable();
        }
        // The one quotient that does not fit wraps like the other operations instead of trapping.
        if (left == INT_MIN && right == -1) {
            return YVariable(INT_MIN);
        }
        return YVariable(left / right);
    }
    if (code < Add || code > Divide) {
        return YVariable();
    }
    const uint32_t bits = WrapArithmetic(static_cast<uint32_t>(left), static_cast<uint32_t>(right), code);
    return YVariable(static_cast<int>(bits));
}

YVariable YVariable::Operator(double left, double right, int code)
{
    switch (code) {
    case Add:
        return YVariable(left + right);
    case Subtract:
        return YVariable(left - right);
    case Multiply:
        return YVariable(left * right);
    case Divide:
        return right == 0.0 ? YVariable() : YVariable(left / right);
    default:
        return YVariable();
    }
}

YVariable YVariable::Operator(int left, unsigned long right, int code)
{
    const uint32_t leftBits = static_cast<uint32_t>(left);
    const uint32_t rightBits = static_cast<uint32_t>(right);
    if (code == Divide) {
        return rightBits == 0 ? YVariable() : YVariable(static_cast<unsigned long>(leftBits / rightBits));
    }
    if (code < Add || code > Divide) {
        return YVariable();
    }
    return YVariable(static_cast<unsigned long>(WrapArithmetic(leftBits, rightBits, code)));
}

YVariable YVariable::Operator(double left, int right, int code)
{
    return Operator(left, static_cast<double>(right), code);
}

YVariable YVariable::Operator(double left, unsigned long right, int code)
{
    return Operator(left, static_cast<double>(right), code);
}

bool YVariable::Compare(int left, int right, int code)
{
    return CompareExact(left, right, code);
}

bool YVariable::Compare(int left, double right, int code)
{
    return Compare(static_cast<double>(left), right, code);
}

bool YVariable::Compare(double left, int right, int code)
{
    return Compare(left, static_cast<double>(right), code);
}

bool YVariable::Compare(double left, double right, int code)
{
    const double difference = left - right;
    switch (code) {
    case Greater:
        return difference > kTolerance;
    case Less:
        return -difference > kTolerance;
    case GreaterEqual:
        return left >= right || -difference < kTolerance;
    case LessEqual:
        return left <= right || difference < kTolerance;
    case Equal:
        return std::fabs(difference) < kTolerance;
    case NotEqual:
        return std::fabs(difference) > kTolerance;
    default:
        return false;
    }
}

bool YVariable::Compare(unsigned long left, unsigned long right, int code)
{
    return CompareExact(left, right, code);
}
