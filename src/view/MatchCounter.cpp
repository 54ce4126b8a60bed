#include "view/MatchCounter.h"

#include <QElapsedTimer>
#include <QString>
#include <QTimer>
#include <algorithm>

#include "view/FindQuery.h"
#include "view/TextView.h"
#include "widgets/FindBar.h"

namespace oruvan {

namespace {

using Sci = QsciScintillaBase;

// A slice gives the event loop back after this long; a count after an edit waits for typing to pause.
constexpr int kSliceMs = 15;
constexpr int kRestartDelayMs = 300;

const char* const kCounting = QT_TRANSLATE_NOOP("oruvan::MatchCounter", "… 件");

}  // namespace

MatchCounter::MatchCounter(TextView* view, FindBar* bar, FindQuery* query, QObject* parent)
    : QObject(parent),
      m_view(view),
      m_bar(bar),
      m_query(query),
      m_sliceTimer(new QTimer(this)),
      m_restartTimer(new QTimer(this)) {
    m_sliceTimer->setSingleShot(true);
    m_sliceTimer->setInterval(0);
    connect(m_sliceTimer, &QTimer::timeout, this, &MatchCounter::countSlice);
    m_restartTimer->setSingleShot(true);
    m_restartTimer->setInterval(kRestartDelayMs);
    connect(m_restartTimer, &QTimer::timeout, this, &MatchCounter::Restart);
}

void MatchCounter::Restart() {
    Stop();
    m_pos = 0;
    m_total = 0;
    m_starts.clear();
    m_done = false;
    if (!m_query->Shown()) {
        m_bar->SetCountText({});
        return;
    }
    countSlice();
}

void MatchCounter::RestartLater() {
    m_sliceTimer->stop();
    m_done = false;
    m_bar->SetCountText(tr(kCounting));
    m_restartTimer->start();
}

void MatchCounter::Stop() {
    m_sliceTimer->stop();
    m_restartTimer->stop();
}

void MatchCounter::countSlice() {
    const std::string_view text = m_view->Utf8Buffer();
    if (m_pos > text.size()) {
        m_pos = 0;
        m_total = 0;
        m_starts.clear();
    }
    QElapsedTimer clock;
    clock.start();
    bool paused = false;
    m_pos = m_query->Search().forEach(text, m_pos, text.size() + 1, [&](const TextMatch& m) {
        ++m_total;
        if (m_starts.size() < kCap) m_starts.push_back(m.start);
        if (m_total > kCap) return false;
        paused = (m_total & 63) == 0 && clock.elapsed() >= kSliceMs;
        return !paused;
    });
    if (paused) {
        m_bar->SetCountText(tr(kCounting));
        m_sliceTimer->start();
        return;
    }
    m_done = true;
    Show();
}

void MatchCounter::Finish() {
    while (m_sliceTimer->isActive() || m_restartTimer->isActive()) {
        const bool fresh = m_restartTimer->isActive();
        m_sliceTimer->stop();
        if (fresh)
            Restart();
        else
            countSlice();
    }
}

void MatchCounter::Show() {
    if (!m_query->Shown()) return;
    if (!m_done) {
        m_bar->SetCountText(tr(kCounting));
        return;
    }
    const QString total = m_total > kCap ? QStringLiteral("%1+").arg(kCap) : QString::number(m_total);
    const auto s = static_cast<std::size_t>(m_view->SendScintilla(Sci::SCI_GETSELECTIONSTART));
    const auto e = static_cast<std::size_t>(m_view->SendScintilla(Sci::SCI_GETSELECTIONEND));
    const auto it = std::lower_bound(m_starts.begin(), m_starts.end(), s);
    if (it != m_starts.end() && *it == s && m_query->Search().at(m_view->Utf8Buffer(), s) == TextMatch{s, e})
        m_bar->SetCountText(tr("%1 / %2 件").arg(it - m_starts.begin() + 1).arg(total));
    else
        m_bar->SetCountText(tr("%1 件").arg(total));
}

}  // namespace oruvan
