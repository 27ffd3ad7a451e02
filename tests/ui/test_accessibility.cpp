// Every control on every page can be found by a screen reader or a GUI test tool: it carries an
// accessible name (its caption, or its row's caption) and its designer name as description.
#include "app/main_window.h"
#include "fakes.h"
#include "session/fake_link.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QProgressBar>
#include <QTabBar>
#include <QTabWidget>
#include <QtTest>

using namespace mfd;
using namespace mfd::test;

namespace {

bool isControl(const QWidget *w)
{
    return qobject_cast<const QAbstractButton *>(w) || qobject_cast<const QLineEdit *>(w)
           || qobject_cast<const QComboBox *>(w) || qobject_cast<const QAbstractSpinBox *>(w)
           || qobject_cast<const QAbstractItemView *>(w) || qobject_cast<const QTabWidget *>(w)
           || qobject_cast<const QProgressBar *>(w);
}

// Parts of a control (a spin box's line edit, a combo box's list) belong to the control; the
// pages of the page control are not parts of it.
bool isPartOfControl(const QWidget *w)
{
    for (const QWidget *p = w->parentWidget(); p; p = p->parentWidget())
        if ((isControl(p) && !qobject_cast<const QTabWidget *>(p)) || qobject_cast<const QFileDialog *>(p)
            || qobject_cast<const QTabBar *>(p))
            return true;
    return false;
}

} // namespace

class TestAccessibility : public QObject {
    Q_OBJECT
private slots:
    void everyControlIsNamed()
    {
        FakeLink link;
        FakeClock clock;
        TForm3 w(link, clock);
        QStringList missing, seen;
        for (QWidget *c : w.findChildren<QWidget *>()) {
            if (!isControl(c) || isPartOfControl(c))
                continue;
            seen << c->objectName();
            if (c->accessibleName().trimmed().isEmpty() || c->accessibleDescription().trimmed().isEmpty())
                missing << QStringLiteral("%1 \"%2\" (%3)")
                               .arg(c->objectName(), c->accessibleName(), c->metaObject()->className());
            // Reachable with Tab, so everything that can be operated works without a mouse.
            if (!qobject_cast<QProgressBar *>(c) && !(c->focusPolicy() & Qt::TabFocus))
                missing << QStringLiteral("%1 \"%2\" cannot be reached with Tab").arg(c->objectName(), c->accessibleName());
        }
        QVERIFY2(missing.isEmpty(), qPrintable(missing.join(QLatin1String("\n"))));
        // The walk reached into every page, inner gamma pages included, not only the frame.
        for (const char *name : {"Button8", "Button5", "SpinEdit27", "Button40", "BitBtn11", "BitBtn9", "Button9"})
            QVERIFY2(seen.contains(QLatin1String(name)), name);
    }
};

QTEST_MAIN(TestAccessibility)
#include "test_accessibility.moc"
