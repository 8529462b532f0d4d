// The record browser (View > Records) on a generated town: a topic's responses in file order, the filter,
// and an NPC's fields by name. With VELLUM_RECORDS_PICTURE set, the browser is saved there as a picture
// (docs/records.png is made so).
#include <QLineEdit>
#include <QSortFilterProxyModel>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>

#include "app_util.h"
#include "frm_records.h"
#include "generator/generator.h"
#include "win1252.h"

using namespace vellum;
using namespace vellum::app;

namespace {

QStringList Children(const QTreeWidgetItem* item, int column) {
    QStringList out;
    for (int i = 0; item && i < item->childCount(); ++i) out << item->child(i)->text(column);
    return out;
}

QTreeWidgetItem* Item(const QTreeWidget* tree, const QString& name) {
    const auto found = tree->findItems(name, Qt::MatchExactly);
    return found.isEmpty() ? nullptr : found.front();
}

} // namespace

class RecordTests : public QObject {
    Q_OBJECT
  private slots:
    void browserListsResponsesFiltersAndShowsFields() {
        QTemporaryDir dir;
        const QString file = dir.filePath("Town.esp");
        const std::string bytes = gen::GeneratePlugin(gen::SamplePreset());
        apptest::WriteBytes(file, bytes);
        apptest::Window w(file);
        QVERIFY(w.handleShortcut(Qt::Key_B, Qt::ControlModifier));
        auto* b = static_cast<FrmRecords*>(w.recordsWindow());
        QVERIFY(b);
        const RecordStore& s = w.store();

        // The second topic and its responses, in the order of the file.
        QVERIFY(b->chooseType("DIAL"));
        QCOMPARE(b->filter->rowCount(), int(s.tblDIAL.size()));
        b->chooseRecord(1);
        QStringList responses;
        for (const INFORecord& r : s.tblINFO)
            if (r.TopicIndex == 1) responses << FromCp1252(r.INAM);
        QCOMPARE(Item(b->trvFields, "NAME")->text(1), FromCp1252(s.tblDIAL[1].NAME));
        QCOMPARE(Children(Item(b->trvFields, "Responses"), 0), responses);

        // Typing filters the responses by ID and text.
        QVERIFY(b->chooseType("INFO"));
        QCOMPARE(b->filter->rowCount(), int(s.tblINFO.size()));
        QTest::keyClicks(b->txtFilter, "you");
        int matching = 0;
        for (const INFORecord& r : s.tblINFO)
            matching += FromCp1252(r.NAME).contains("you", Qt::CaseInsensitive) ||
                        FromCp1252(r.INAM).contains("you", Qt::CaseInsensitive);
        QVERIFY(matching > 0 && matching < int(s.tblINFO.size()));
        QCOMPARE(b->filter->rowCount(), matching);

        // An NPC's fields by name.
        b->txtFilter->clear();
        QVERIFY(b->chooseType("NPC_"));
        b->chooseRecord(0);
        const NPC_Record& npc = s.tblNPC_[0];
        QCOMPARE(Item(b->trvFields, "FNAM")->text(1), FromCp1252(npc.FNAM));
        const QStringList npdt = Children(Item(b->trvFields, "NPDT"), 0);
        QCOMPARE(npdt.front(), QString("Level"));
        QCOMPARE(npdt.back(), QString("Gold"));
        QCOMPARE(Children(Item(b->trvFields, "NPDT"), 1).front(),
                 QString::number(npc.NPDTLen == 52 ? npc.NPDTLong[0] | npc.NPDTLong[1] << 8
                                                   : npc.NPDTShort[0] | npc.NPDTShort[1] << 8));

        if (const QByteArray picture = qgetenv("VELLUM_RECORDS_PICTURE"); !picture.isEmpty()) {
            QVERIFY(b->chooseType("DIAL"));
            b->chooseRecord(1);
            QVERIFY(b->grab().save(QString::fromLocal8Bit(picture)));
        }
    }
};

int RunRecordTests(int argc, char** argv) {
    RecordTests t;
    return QTest::qExec(&t, argc, argv);
}

#include "test_records.moc"
