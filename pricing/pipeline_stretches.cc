#include "pricing/pipeline_stretches.h"

#include <exception>
#include <optional>

#include "core/ascii.h"
#include "db/engine/key_violation.h"
#include "db/engine/text_too_long.h"
#include "pricing/jet_text_literal.h"
#include "pricing/prefix_forms.h"
#include "pricing/price_factor.h"
#include "pricing/sql_number_text.h"
#include "run/tables.h"

namespace pricing {

std::string PipelineSteps::MinimumRate() const {
  return SqlNumberText(settings_.minimum_rate);
}

std::string PipelineSteps::ComputedPrice(std::string_view purchase_price_column) const {
  return CentRoundedPriceSql(purchase_price_column, settings_);
}

namespace {

std::string DropTable(std::string_view table) {
  return "DROP TABLE " + std::string(table);
}
std::string State(int code) { return std::to_string(code); }

// The prefix of the Import2 row whose destination name is `name`, as
// " (Vorwahl 0033)"; empty when none can be found.
std::string PrefixOfName(PipelineSteps& s, const std::string& name) {
  try {
    const auto rows = s.Query("SELECT Vorwahl FROM Import2 WHERE Ziel LIKE '" +
                              JetLikeLiteral(name) + "'");
    if (!rows->IsEof()) return " (Vorwahl " + rows->Field("Vorwahl").ToText() + ")";
  } catch (const core::Error&) {
    // The refusal itself is what the operator must see.
  }
  return "";
}

// Where a column of Numbers gets its values from in Import2, and what the
// operator calls it.
struct KeySource {
  std::string_view numbers_column;
  std::string_view import2_column;
  std::string_view shown;         // the value's name in the message
  std::string_view other_column;  // what tells the rows apart
  std::string_view others_shown;  // its name in the message, before the list
};
constexpr KeySource kKeySources[] = {
    {"Number", "[Vorwahl]", "Vorwahl", "Ziel", ""},
    {"Name", "Ziel", "Name", "[Vorwahl]", "Vorwahlen "},
};

// The operator's words for a unique key of Numbers that the new rows would
// break: the value that Import2 holds twice and what each of those rows
// holds besides, e.g. "Vorwahl 00829 käme zweimal in Numbers vor (Schlüssel
// PrimaryKey): Marokko Sonderdienste, Neuland". Only a key on one column
// that Import2 fills can be traced back to its rows; for any other key, and
// when the rows cannot be found, the engine's description stands.
std::optional<core::Error> DuplicateKeyInNumbers(
    PipelineSteps& s, const db::engine::KeyViolation& refused) {
  if (!core::EqualIgnoringAsciiCase(refused.table(), run::kNumbers) ||
      refused.columns().size() != 1)
    return std::nullopt;
  const KeySource* source = nullptr;
  for (const KeySource& candidate : kKeySources)
    if (core::EqualIgnoringAsciiCase(refused.columns()[0], candidate.numbers_column))
      source = &candidate;
  if (source == nullptr) return std::nullopt;
  try {
    // Grouped as the key compares (letter case aside), so that the value
    // found is one the key refuses.
    const std::string column(source->import2_column);
    std::optional<std::string> twice;
    for (auto groups = s.Query("SELECT " + column + " AS KeyValue, Count(*) AS Rows " +
                               "FROM Import2 WHERE " + column + " IS NOT NULL GROUP BY " +
                               column + " ORDER BY " + column);
         !groups->IsEof(); groups->MoveNext()) {
      if (groups->Field("Rows").ToDouble() > 1) {
        twice = groups->Field("KeyValue").ToText();
        break;
      }
    }
    if (!twice) return std::nullopt;
    std::string rows;
    for (auto set = s.Query("SELECT " + std::string(source->other_column) +
                            " AS Other FROM Import2 WHERE " + column + " LIKE '" +
                            JetLikeLiteral(*twice) + "' ORDER BY " +
                            std::string(source->other_column));
         !set->IsEof(); set->MoveNext()) {
      const core::Value other = set->Field("Other");
      rows += (rows.empty() ? "" : ", ") + (other.is_null() ? "(leer)" : other.ToText());
    }
    std::string key = refused.key().empty() ? "" : " (Schlüssel " + refused.key() + ")";
    return core::Error(std::string(source->shown) + " " + *twice + " käme zweimal in " +
                           std::string(run::kNumbers) + " vor" + key + ": " +
                           std::string(source->others_shown) + rows,
                       core::Error::Kind::kConstraint);
  } catch (const core::Error&) {
    // The refusal itself is what the operator must see.
    return std::nullopt;
  }
}

// Replaces the rows of Numbers with those of Import2. Numbers may declare a
// narrower Name than Import2's Ziel; a name that does not fit stops the run
// (Jet refuses it too), and the prefix tells the operator which line of the
// price file, or which kept row of the old list, holds it.
void InsertImport2IntoNumbers(PipelineSteps& s) {
  try {
    s.Execute(
        "INSERT INTO Numbers ( [Number], Name, Price_EUR, Rate_EK, GraceTime, Profile)"
        "SELECT Import2.[Vorwahl], Import2.Ziel, Import2.VkPreis, Import2.PreisEk, 0, "
        "Null FROM Import2;");
  } catch (const db::engine::TextTooLong& refused) {
    // A refused Number is the prefix itself.
    if (!core::EqualIgnoringAsciiCase(refused.column(), "Name")) throw;
    throw core::Error(refused.what() + PrefixOfName(s, refused.value()), refused.kind());
  } catch (const db::engine::KeyViolation& refused) {
    // A key of Numbers that Jet's own copy of the table has too: the file
    // lists a value twice, and the operator must find those lines.
    if (std::optional<core::Error> described = DuplicateKeyInNumbers(s, refused))
      throw *described;
    throw;
  }
}

}  // namespace

void DropLeftoverTables(PipelineSteps& s) {
  // Normally the table does not exist; a table that is really stuck makes
  // the statement that creates it fail later.
  for (std::string_view table : {run::kNumbersPrevious, run::kTmpMaxPreis})
    s.ExecuteToleratingFailure(DropTable(table));
}

void PrepareCurrentList(PipelineSteps& s) {
  s.Overall(5);
  s.Action(100);
  // Prices below the minimum are marked by negating them, so that raising
  // the computed prices to the minimum leaves them alone; then restored.
  s.Execute("UPDATE Numbers SET Price_EUR=-[Price_EUR] WHERE Price_EUR<" +
            s.MinimumRate());
  s.Overall(7);
  s.Execute("UPDATE Numbers SET Price_EUR=" + s.ComputedPrice("Rate_EK") +
            " WHERE Price_EUR IS NULL AND Rate_EK IS NOT NULL");
  s.Overall(10);
  s.Execute("UPDATE Numbers SET Price_EUR=" + s.MinimumRate() + " WHERE Price_EUR<" +
            s.MinimumRate() + " AND Price_EUR>0 AND [Number] LIKE '00%'");
  s.Overall(13);
  s.Execute("UPDATE Numbers SET Price_EUR=-[Price_EUR] WHERE Price_EUR<0");
  s.Overall(15);
  s.Execute("SELECT * INTO NumbersPrevious FROM Numbers");
  const float to_working_form_progress[] = {17, 19, 22};
  for (size_t i = 0; i < kToWorkingForm.size(); ++i) {
    s.Overall(to_working_form_progress[i]);
    s.Execute(kToWorkingForm[i]);
  }
  s.Overall(25);
  s.Execute("DELETE FROM Import2 WHERE NOT IsNumeric([Vorwahl]) OR PreisEk>3;");
  s.Overall(30);
  s.Execute(
      "SELECT [Name] AS [Name], MAX([Price_EUR]) AS [Price_EUR], 1 INTO tmpMaxPreis "
      "FROM Numbers GROUP BY [Name]");
  s.Overall(32);
}

void MatchKnownPrices(PipelineSteps& s) {
  s.Overall(35);
  s.Execute(
      "UPDATE Import2 INNER JOIN tmpMaxPreis ON Import2.Ziel = tmpMaxPreis.Name "
      "SET [VkPreis] = [tmpMaxPreis].[Price_EUR], [OldName] = [tmpMaxPreis].[Name], "
      "Import2.ImportState = " +
      State(run::kByName) + " WHERE (((Import2.ImportState) Is Null));");
  s.Action(70);
  s.Execute(
      "UPDATE Import2 INNER JOIN NumbersPrevious ON Import2.[Vorwahl] = "
      "NumbersPrevious.[Number] SET [VkPreis] = [NumbersPrevious].[Price_EUR], "
      "[OldName] = [NumbersPrevious].[Name], Import2.ImportState = " +
      State(run::kByPrefix) + " WHERE (((Import2.ImportState) Is Null));");
  s.Overall(40);
  s.Action(90);
  // The offset marks exactly the rows that receive a computed price here, so
  // that only those are raised to the minimum rate.
  const std::string offset = State(run::kJustComputedOffset);
  s.Execute("UPDATE Import2 SET VkPreis=" + s.ComputedPrice("PreisEk") +
            ", ImportState=ImportState+" + offset +
            " WHERE VkPreis IS NULL AND ImportState IS NOT NULL");
  s.Execute("UPDATE Import2 SET VkPreis=" + s.MinimumRate() + " WHERE VkPreis<" +
            s.MinimumRate() + " AND ImportState>" + offset);
  s.Execute("UPDATE Import2 SET ImportState=ImportState-" + offset +
            " WHERE ImportState>" + offset);
  s.Overall(45);
  s.Action(100);
}

void WriteBack(PipelineSteps& s) {
  // As above, a transient state marks the rows whose price is computed here.
  const std::string just_computed = State(run::kJustComputedFinal);
  s.Execute("UPDATE Import2 SET VkPreis=" + s.ComputedPrice("PreisEk") +
            ", ImportState=" + just_computed +
            " WHERE VkPreis IS NULL AND ImportState IS NULL");
  s.Execute("UPDATE Import2 SET VkPreis=" + s.MinimumRate() + " WHERE VkPreis<" +
            s.MinimumRate() + " AND ImportState=" + just_computed);
  s.Execute("UPDATE Import2 SET ImportState=" + State(run::kComputed) +
            " WHERE ImportState=" + just_computed);
  s.Overall(82);
  s.Execute(
      "INSERT INTO Import2 ([Vorwahl],Ziel,VkPreis,ImportState,PreisEk) "
      "SELECT Number, Name, Price_EUR, " +
      State(run::kKeptDomestic) +
      ",Rate_EK FROM NumbersPrevious WHERE Number LIKE '0049%' "
      "AND Number NOT IN (SELECT [Vorwahl] FROM Import2 WHERE [Vorwahl] LIKE '0049%');");
  s.Overall(84);
  s.Execute(kToStoredForm[0]);
  s.Overall(86);
  s.Execute(kToStoredForm[1]);
  s.Overall(92);
  s.Execute("DELETE FROM Numbers");
  s.Overall(94);
  InsertImport2IntoNumbers(s);
  s.NewListWritten();
  s.Overall(98);
  // Unlike the drops at the start, these must succeed.
  s.Execute(DropTable(run::kNumbersPrevious) + ";");
  s.Overall(99);
  s.Execute(DropTable(run::kImport2) + ";");
  s.Execute(DropTable(run::kTmpMaxPreis) + ";");
  s.Overall(100);
}

}  // namespace pricing
