#pragma once

#include <util/export.h>

// A small scalar value of one of five kinds (or none) that converts between kinds and does
// arithmetic and comparison across them. Doubles compare with a fixed tolerance.
class UTIL_API YVariable {
public:
    enum Kind : unsigned char {
        KindInvalid = 0,
        KindBool = 1,
        KindInt = 2,
        KindDouble = 3,
        KindDword = 4,
        KindPointer = 5
    };

    YVariable();
    YVariable(bool value);
    YVariable(unsigned long value);
    YVariable(void* value);
    YVariable(int value);
    YVariable(double value);

    YVariable& operator=(bool value);
    YVariable& operator=(unsigned long value);
    YVariable& operator=(void* value);
    YVariable& operator=(int value);
    YVariable& operator=(double value);

    void Clear();
    bool IsValid() const { return m_kind != KindInvalid; }
    bool IsBool() const { return m_kind == KindBool; }
    bool IsInt() const { return m_kind == KindInt; }
    bool IsDouble() const { return m_kind == KindDouble; }
    bool IsDword() const { return m_kind == KindDword; }
    bool IsPoint() const { return m_kind == KindPointer; }

    int ToInt() const;
    unsigned long ToDword() const;
    bool ToBool() const;
    double ToDouble() const;
    void* ToPvoid() const;

    YVariable operator+(const YVariable& other) const;
    YVariable operator-(const YVariable& other) const;
    YVariable operator*(const YVariable& other) const;
    YVariable operator/(const YVariable& other) const;

    bool operator>(const YVariable& other) const;
    bool operator<(const YVariable& other) const;
    bool operator>=(const YVariable& other) const;
    bool operator<=(const YVariable& other) const;
    bool operator==(const YVariable& other) const;
    bool operator!=(const YVariable& other) const;

protected:
    // Arithmetic codes: 0 +, 1 -, 2 *, 3 /. Comparison codes: 0 >, 1 <, 2 >=, 3 <=, 4 ==, 5 !=.
    YVariable Operator2(const YVariable& other, int code) const;
    bool Compare2(const YVariable& other, int code) const;

    static YVariable Operator(int left, int right, int code);
    static YVariable Operator(double left, double right, int code);
    static YVariable Operator(int left, unsigned long right, int code);
    static YVariable Operator(double left, int right, int code);
    static YVariable Operator(double left, unsigned long right, int code);

    static bool Compare(int left, int right, int code);
    static bool Compare(int left, double right, int code);
    static bool Compare(double left, int right, int code);
    static bool Compare(double left, double right, int code);
    static bool Compare(unsigned long left, unsigned long right, int code);

private:
    bool IsNumber() const { return m_kind >= KindBool && m_kind <= KindDword; }

    unsigned char m_kind;
    union Value {
        bool b;
        int i;
        double d;
        unsigned long dw;
        void* p;
        unsigned long long raw;
    };
    alignas(8) Value m_value;
};
