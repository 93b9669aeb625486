#include "screens/plan_output.h"

#include <functional>

#include <nlohmann/json.hpp>

#include "provisioning/connections.h"

namespace court::screens {
namespace {

using Json = nlohmann::ordered_json;

// A part of the text: its heading with the number of items, then one
// indented line per item.
template <typename Item>
void Part(std::string& text, const std::string& heading, const std::vector<Item>& items,
          const std::function<std::string(const Item&)>& line) {
  text += heading + " (" + std::to_string(items.size()) + "):\n";
  if (items.empty()) text += "  (none)\n";
  for (const Item& item : items) text += "  " + line(item) + "\n";
}

std::string ColumnLine(const Plan::Column& c) {
  std::string line = c.database + "  " + c.table + "." + c.column + "  " + c.change + "  ";
  if (c.change == "alter") line += c.before + " → ";
  return line + c.after;
}

}  // namespace

std::string PlanText(const Plan& plan) {
  std::string text = "outcome: " + plan.outcome + "\n";
  text += "rehearsed on: " + plan.rehearsed_on + "\n";
  Part<Plan::Database>(text, "databases to create", plan.databases,
                       [](const auto& d) { return d.name + "  " + d.data_file; });
  Part<Plan::Table>(text, "tables to create", plan.tables,
                    [](const auto& t) { return t.database + "  " + t.table; });
  Part<Plan::Column>(text, "columns to add or alter", plan.columns, ColumnLine);
  Part<Plan::Rows>(text, "reference data to refresh", plan.reference_data, [](const auto& r) {
    return r.table + "  " + std::to_string(r.deleted) + " rows deleted, " + std::to_string(r.inserted) +
           " inserted";
  });
  text += "release to record: " + (plan.release ? std::to_string(*plan.release) : std::string("(none)")) + "\n";
  Part<std::string>(text, "views to recreate", plan.views, [](const auto& v) { return v; });
  Part<Plan::Duplicates>(text, "duplicate rows to remove", plan.duplicates,
                         [](const auto& d) { return d.table + "  " + std::to_string(d.rows); });
  Part<Plan::Constraint>(text, "check constraints to drop", plan.dropped_constraints,
                         [](const auto& c) { return c.table + "  " + c.name; });
  Part<Plan::Constraint>(text, "check constraints to add", plan.added_constraints, [](const auto& c) {
    return c.table + "  " + c.name + "  CHECK ( " + c.condition + " )  " + std::to_string(c.rows_deleted) +
           " rows deleted";
  });
  text += "login: " + (plan.login.empty() ? std::string("(none)") : plan.login);
  if (!plan.server_roles.empty()) {
    text += ", server roles:";
    for (const std::string& role : plan.server_roles) text += " " + role;
  }
  text += "\n";
  Part<Plan::Grants>(text, "rights granted", plan.grants, [](const auto& g) {
    return g.database + "  user " + std::string(provisioning::kLoginName) + ", all rights on " +
           std::to_string(g.objects) + " objects";
  });
  Part<std::string>(text, "not foreseen", plan.cannot_foresee, [](const auto& limit) { return limit; });
  return text;
}

std::string PlanJson(const Plan& plan) {
  Json json;
  json["outcome"] = plan.outcome;
  json["rehearsal"] = {{"on", plan.rehearsed_on}, {"cannot_foresee", plan.cannot_foresee}};
  json["databases"] = Json::array();
  for (const auto& d : plan.databases) json["databases"].push_back({{"name", d.name}, {"data_file", d.data_file}});
  json["tables"] = Json::array();
  for (const auto& t : plan.tables) json["tables"].push_back({{"database", t.database}, {"table", t.table}});
  json["columns"] = Json::array();
  for (const auto& c : plan.columns) {
    Json column = {{"database", c.database}, {"table", c.table}, {"column", c.column}, {"change", c.change}};
    if (c.change == "alter") column["before"] = c.before;
    column["after"] = c.after;
    json["columns"].push_back(column);
  }
  json["reference_data"] = Json::array();
  for (const auto& r : plan.reference_data)
    json["reference_data"].push_back({{"table", r.table}, {"deleted", r.deleted}, {"inserted", r.inserted}});
  json["release"] = plan.release ? Json(*plan.release) : Json(nullptr);
  json["views"] = plan.views;
  json["duplicates"] = Json::array();
  for (const auto& d : plan.duplicates) json["duplicates"].push_back({{"table", d.table}, {"rows", d.rows}});
  Json constraints = {{"dropped", Json::array()}, {"added", Json::array()}};
  for (const auto& c : plan.dropped_constraints)
    constraints["dropped"].push_back({{"table", c.table}, {"name", c.name}});
  for (const auto& c : plan.added_constraints)
    constraints["added"].push_back(
        {{"table", c.table}, {"name", c.name}, {"condition", c.condition}, {"rows_deleted", c.rows_deleted}});
  json["constraints"] = constraints;
  json["login"] = plan.login.empty() ? Json(nullptr) : Json{{"name", plan.login}, {"server_roles", plan.server_roles}};
  json["grants"] = Json::array();
  for (const auto& g : plan.grants) json["grants"].push_back({{"database", g.database}, {"objects", g.objects}});
  return json.dump(-1, ' ', false, Json::error_handler_t::replace) + "\n";
}

}  // namespace court::screens
