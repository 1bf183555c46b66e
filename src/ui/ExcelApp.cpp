#include "ui/ExcelApp.h"

#include "model/Error.h"
#include "workbook/WorkbookService.h"

#include <new>

namespace {
bool s_startFails = false;
bool s_notAnswering = false;
} // namespace

TExcelApp::TExcelApp() = default;
TExcelApp::~TExcelApp() = default;

bool TExcelApp::ensureStarted()
{
    if (s_startFails)
        return false;
    if (!m_service) {
        try {
            m_service = std::make_unique<WorkbookService>();
        } catch (const KwError &) {
            return false;
        } catch (const std::bad_alloc &) {
            return false;
        }
    }
    return true;
}

bool TExcelApp::attach()
{
    if (!ensureStarted())
        return false;
    m_held = true;
    return true;
}

bool TExcelApp::startAnew()
{
    if (!ensureStarted())
        return false;
    m_service->quit();
    m_held = true;
    return true;
}

int TExcelApp::workbookCount() const
{
    if (s_notAnswering || !m_service)
        throw KwError(QStringLiteral("Excel reageert niet"));
    return m_service->workbookCount();
}

void TExcelApp::quit()
{
    if (m_service && !s_notAnswering)
        m_service->quit();
    m_held = false;
}

void TExcelApp::setStartFailsForTest(bool fails)
{
    s_startFails = fails;
}

void TExcelApp::setNotAnsweringForTest(bool notAnswering)
{
    s_notAnswering = notAnswering;
}
