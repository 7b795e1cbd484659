#include "mainwnd/TrayMenu.h"

CTrayMenu::CTrayMenu(const std::vector<traymenu::Entry>& entries, QWidget* parent)
    : QMenu(parent), m_date(addAction(QString())), m_dateSeparator(addSeparator()) {
    setObjectName(QStringLiteral("1057"));
    // The date tells; it is not a command.
    m_date->setEnabled(false);
    SetDateText(QString());
    for (const traymenu::Entry& entry : entries) {
        if (entry.command == traymenu::kSeparator)
            addSeparator();
        else
            addAction(entry.text)->setData(entry.command);
    }
    connect(this, &QMenu::triggered, this, [this](QAction* action) {
        if (action != m_date)
            emit commandChosen(action->data().toInt());
    });
}

void CTrayMenu::SetDateText(const QString& date) {
    m_date->setText(date);
    m_date->setVisible(!date.isEmpty());
    m_dateSeparator->setVisible(!date.isEmpty());
}
