#include "list/DeleteReferencedDlg.h"
#include "ui_DeleteReferencedDlg.h"

#include "model/Texts.h"
#include "protocol/StrFormat.h"
#include "support/TabStopDelegate.h"
#include "support/UiSeam.h"

#include <QStyle>

namespace {

// The owner list's tab stop, in dialog units.
constexpr int OwnerTabStop = 15;

} // namespace

DeleteReferencedDlg::DeleteReferencedDlg(const ReferenceQuestion& question, QWidget* parent)
    : QDialog(parent)
    , m_ui(new Ui::DeleteReferencedDlg)
{
    m_ui->setupUi(this);
    DialogTexts(this);
    const int iconSize = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
    m_ui->iconLabel->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning, nullptr, this).pixmap(iconSize));
    m_ui->scheduleLabel->setText(QString::fromStdString(
        StrFormat("%d   %s", int(question.schedule), question.scheduleName.c_str())));
    m_ui->ownerList->setItemDelegate(new TabStopDelegate({OwnerTabStop}, m_ui->ownerList));
    for (const ScheduleOwner& owner : question.owners)
        m_ui->ownerList->addItem(QString::fromStdString(StrFormat("%d\t%s", int(owner.number), owner.name.c_str())));
    connect(m_ui->skipButton, &QPushButton::clicked, this, [this] { done(SkipResult); });
    connect(m_ui->stopButton, &QPushButton::clicked, this, [this] { done(StopResult); });
}

DeleteReferencedDlg::~DeleteReferencedDlg() = default;

void DeleteReferencedDlg::reject() { done(SkipResult); }

ReferenceChoice DeleteReferencedDlg::ask(const ReferenceQuestion& question, QWidget* parent)
{
    DeleteReferencedDlg dialog(question, parent);
    return ui().runModal(dialog) == StopResult ? ReferenceChoice::Stop : ReferenceChoice::Skip;
}
