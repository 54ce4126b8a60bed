#include "view/FindQuery.h"

#include <QCoreApplication>
#include <QString>

#include "widgets/FindBar.h"

namespace oruvan {

namespace {

std::u32string Ucs4(const QString& s) {
    const QList<uint> v = s.toUcs4();
    return std::u32string(v.begin(), v.end());
}

SearchOptions OptionsOf(const FindBar& bar) { return {bar.MatchCase(), bar.IgnoreWidth(), bar.Regex()}; }

}  // namespace

bool FindQuery::UpToDate() const {
    return m_ready && Ucs4(m_bar->FindText()) == m_text && OptionsOf(*m_bar) == m_options;
}

void FindQuery::Compile() {
    m_text = Ucs4(m_bar->FindText());
    m_options = OptionsOf(*m_bar);
    m_ready = false;
    m_bar->SetMessage({});
    if (m_text.empty()) return;
    SearchError error;
    m_ready = m_search.compile(m_text, m_options, &error);
    if (!m_ready)
        m_bar->SetMessage(QCoreApplication::translate("oruvan::FindQuery", "正規表現が正しくありません: %1（%2 文字目）")
                              .arg(QString::fromUtf8(error.message.c_str()))
                              .arg(error.offset + 1));
}

bool FindQuery::Shown() const { return m_ready && m_bar->isVisible(); }

}  // namespace oruvan
