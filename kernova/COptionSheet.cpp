#include "kernova/COptionSheet.h"

#include "kernova/KernovaText.h"
#include "obrix/CResourceLoader.h"
#include "obrix/ZeltaPlatform.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

COptionSheet::COptionSheet(void* resModule, QWidget* parent) : QDialog(parent) {
    const auto text = [resModule](uint32_t id) {
        return CResourceLoader::LoadString(resModule, id);
    };
    setWindowTitle(text(KernovaText::OptionTitle));
    m_tabs = new QTabWidget(this);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(text(KernovaText::Ok), QDialogButtonBox::AcceptRole);
    buttons->addButton(text(KernovaText::Cancel), QDialogButtonBox::RejectRole);
    QPushButton* reset =
        buttons->addButton(text(KernovaText::Default), QDialogButtonBox::ResetRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &COptionSheet::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &COptionSheet::reject);
    connect(reset, &QPushButton::clicked, this, &COptionSheet::DefaultCurrent);
    connect(m_tabs, &QTabWidget::currentChanged, this, &COptionSheet::OnCurrentChanged);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    layout->addWidget(buttons);
}

COptionSheet::~COptionSheet() {
    ReleasePages();
}

void COptionSheet::AddPage(QWidget* page) {
    if (!page || m_closed)
        return;
    for (const auto& existing : m_pages)
        if (existing == page)
            return;
    m_pages.append(page);
    // The tab widget shows the current page and hides the others; a page shown here would be
    // drawn over the current one.
    m_tabs->addTab(page, page->windowTitle());
    if (m_current < 0)
        m_current = m_tabs->currentIndex();
}

QList<QWidget*> COptionSheet::Pages() const {
    QList<QWidget*> pages;
    for (const auto& page : m_pages)
        if (page)
            pages.append(page);
    return pages;
}

QWidget* COptionSheet::CurrentPage() const {
    return m_tabs->currentWidget();
}

bool COptionSheet::SelectPage(int index) {
    m_tabs->setCurrentIndex(index);
    return m_tabs->currentIndex() == index;
}

intptr_t COptionSheet::SendToPage(QWidget* page, int message) {
    CWndMessageEvent event(message);
    // A page that does not handle the message leaves the answer at "go on".
    event.setResult(1);
    QCoreApplication::sendEvent(page, &event);
    return event.result();
}

void COptionSheet::OnCurrentChanged(int index) {
    if (m_reverting)
        return;
    QWidget* left = m_current >= 0 ? m_tabs->widget(m_current) : nullptr;
    if (left && m_current != index && SendToPage(left, ZeltaMsg::OptionKillActive) == 0) {
        m_reverting = true;
        m_tabs->setCurrentIndex(m_current);
        m_reverting = false;
        return;
    }
    m_current = index;
}

bool COptionSheet::ApplyAll() {
    // The page being left first, as when the user turns to another page.
    if (QWidget* current = CurrentPage();
        current && SendToPage(current, ZeltaMsg::OptionKillActive) == 0)
        return false;
    for (QWidget* page : Pages()) {
        if (SendToPage(page, ZeltaMsg::OptionOK) == 0) {
            m_reverting = true;
            m_tabs->setCurrentWidget(page);
            m_current = m_tabs->currentIndex();
            m_reverting = false;
            return false;
        }
    }
    return true;
}

void COptionSheet::DefaultCurrent() {
    if (QWidget* page = CurrentPage())
        SendToPage(page, ZeltaMsg::OptionDefault);
}

void COptionSheet::accept() {
    if (ApplyAll())
        QDialog::accept();
}

void COptionSheet::done(int result) {
    QDialog::done(result);
    if (m_closed)
        return;
    m_closed = true;
    ReleasePages();
    emit Closed();
}

void COptionSheet::ReleasePages() {
    // Taking pages out switches tabs; nobody is leaving a page here.
    m_reverting = true;
    for (const auto& page : m_pages) {
        if (!page)
            continue;
        page->hide();
        page->setParent(nullptr);
    }
    m_pages.clear();
    m_tabs->clear();
}
