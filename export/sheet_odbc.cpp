#include "export/sheet_table.h"

#include <sql.h>
#include <sqlext.h>

namespace {

bool Succeeded(SQLRETURN result)
{
    return result == SQL_SUCCESS || result == SQL_SUCCESS_WITH_INFO;
}

// One ODBC handle, freed with its kind.
class OdbcHandle {
public:
    OdbcHandle() = default;
    OdbcHandle(const OdbcHandle&) = delete;
    OdbcHandle& operator=(const OdbcHandle&) = delete;
    ~OdbcHandle() { Reset(); }

    bool Allocate(SQLSMALLINT kind, SQLHANDLE parent)
    {
        Reset();
        SQLHANDLE handle = SQL_NULL_HANDLE;
        if (!Succeeded(SQLAllocHandle(kind, parent, &handle))) {
            return false;
        }
        m_kind = kind;
        m_handle = handle;
        return true;
    }
    void Reset()
    {
        if (m_handle != SQL_NULL_HANDLE) {
            SQLFreeHandle(m_kind, m_handle);
            m_handle = SQL_NULL_HANDLE;
        }
    }
    SQLHANDLE get() const { return m_handle; }

private:
    SQLSMALLINT m_kind = 0;
    SQLHANDLE m_handle = SQL_NULL_HANDLE;
};

class OdbcSheetDatabase : public IKxSheetDatabase {
public:
    std::vector<std::wstring> Drivers() override
    {
        std::vector<std::wstring> names;
        if (!Environment()) {
            return names;
        }
        SQLWCHAR name[256];
        SQLWCHAR attributes[1024];
        SQLSMALLINT nameLength = 0, attributesLength = 0;
        SQLUSMALLINT direction = SQL_FETCH_FIRST;
        while (Succeeded(SQLDriversW(m_environment.get(), direction, name, 256, &nameLength, attributes, 1024,
                                     &attributesLength))) {
            names.emplace_back(reinterpret_cast<const wchar_t*>(name));
            direction = SQL_FETCH_NEXT;
        }
        return names;
    }

    bool Connect(const std::wstring& connection) override
    {
        Disconnect();
        if (!Environment() || !m_connection.Allocate(SQL_HANDLE_DBC, m_environment.get())) {
            return false;
        }
        std::wstring text = connection;
        SQLSMALLINT outLength = 0;
        m_connected = Succeeded(SQLDriverConnectW(m_connection.get(), nullptr, reinterpret_cast<SQLWCHAR*>(&text[0]),
                                                  static_cast<SQLSMALLINT>(text.size()), nullptr, 0, &outLength,
                                                  SQL_DRIVER_NOPROMPT));
        if (!m_connected) {
            m_connection.Reset();
        }
        return m_connected;
    }

    bool Execute(const std::wstring& statement) override
    {
        OdbcHandle command;
        return Run(statement, command);
    }

    bool Query(const std::wstring& statement, std::vector<std::wstring>& columns,
               std::vector<std::vector<std::wstring>>& rows) override
    {
        OdbcHandle command;
        if (!Run(statement, command)) {
            return false;
        }
        SQLSMALLINT count = 0;
        SQLNumResultCols(command.get(), &count);
        columns.clear();
        for (SQLSMALLINT column = 1; column <= count; ++column) {
            SQLWCHAR name[256] = {};
            SQLSMALLINT length = 0, type = 0, digits = 0, nullable = 0;
            SQLULEN size = 0;
            SQLDescribeColW(command.get(), column, name, 256, &length, &type, &size, &digits, &nullable);
            columns.emplace_back(reinterpret_cast<const wchar_t*>(name));
        }
        rows.clear();
        while (Succeeded(SQLFetch(command.get()))) {
            std::vector<std::wstring> row;
            for (SQLSMALLINT column = 1; column <= count; ++column) {
                SQLWCHAR value[1024] = {};
                SQLLEN length = 0;
                SQLGetData(command.get(), column, SQL_C_WCHAR, value, sizeof(value), &length);
                row.emplace_back(length == SQL_NULL_DATA ? L"" : reinterpret_cast<const wchar_t*>(value));
            }
            rows.push_back(std::move(row));
        }
        return true;
    }

    void Disconnect() override
    {
        if (m_connected) {
            SQLDisconnect(m_connection.get());
            m_connected = false;
        }
        m_connection.Reset();
    }

    ~OdbcSheetDatabase() override { Disconnect(); }

private:
    bool Environment()
    {
        if (m_environment.get() != SQL_NULL_HANDLE) {
            return true;
        }
        if (!m_environment.Allocate(SQL_HANDLE_ENV, SQL_NULL_HANDLE)) {
            return false;
        }
        SQLSetEnvAttr(m_environment.get(), SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
        return true;
    }

    bool Run(const std::wstring& statement, OdbcHandle& command)
    {
        if (!m_connected || !command.Allocate(SQL_HANDLE_STMT, m_connection.get())) {
            return false;
        }
        std::wstring text = statement;
        return Succeeded(SQLExecDirectW(command.get(), reinterpret_cast<SQLWCHAR*>(&text[0]),
                                        static_cast<SQLINTEGER>(text.size())));
    }

    OdbcHandle m_environment;
    OdbcHandle m_connection;
    bool m_connected = false;
};

} // namespace

std::unique_ptr<IKxSheetDatabase> CreateOdbcSheetDatabase()
{
    return std::make_unique<OdbcSheetDatabase>();
}
