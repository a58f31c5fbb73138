#pragma once
// "Printing MCF blocks": the report of the chosen functions of a gateway. The
// whole print runs when the dialog opens: the print dialog, the layout and
// the pages; the dialog then tells what came of it until Cancel closes it.

#include <QDialog>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace Ui {
class PrintingMcfBlocksDlg;
}

class PrintingMcfBlocksDlg : public QDialog {
    Q_OBJECT

public:
    PrintingMcfBlocksDlg(std::string gatewayAddress, std::string idCode, std::vector<uint8_t> numbers,
                         QWidget* parent = nullptr);
    ~PrintingMcfBlocksDlg() override;

    // Prints, then runs the dialog through the UI seam; IDOK whatever happened.
    int run();

protected:
    void reject() override;

private:
    // What the print run came to, for the dialog to show.
    QString print();

    std::unique_ptr<Ui::PrintingMcfBlocksDlg> m_ui;
    std::string m_gatewayAddress;
    std::string m_idCode;
    std::vector<uint8_t> m_numbers;
};
