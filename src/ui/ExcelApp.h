#pragma once

#include <memory>

class WorkbookService;

// The input screen's handle on the spreadsheet application, played here by the
// workbook service. The service object, once started, lives until the
// application ends (the run keeps a reference to it); quitting releases its
// open workbooks and the handle.
class TExcelApp final
{
public:
    TExcelApp();
    ~TExcelApp();
    TExcelApp(const TExcelApp &) = delete;
    TExcelApp &operator=(const TExcelApp &) = delete;

    // Attach to the running service, starting it when there is none; false when it cannot start.
    bool attach();
    // A new server for the worksheet selection: the open workbooks are released.
    bool startAnew();
    bool isHeld() const { return m_held; }
    // The service when one was ever started (also after quit), else nullptr.
    WorkbookService *service() const { return m_service.get(); }

    // The number of open workbooks; throws KwError when the service does not answer.
    int workbookCount() const;
    // Quits the application and releases the handle.
    void quit();
    // Lets go of the handle of a service that no longer answers.
    void release() { m_held = false; }

    // Test hooks: a service that cannot start, and one that no longer answers.
    static void setStartFailsForTest(bool fails);
    static void setNotAnsweringForTest(bool notAnswering);

private:
    bool ensureStarted();

    std::unique_ptr<WorkbookService> m_service;
    bool m_held = false;
};
