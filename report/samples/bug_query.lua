-- Defects straight from an ODBC data source: the script logs on and runs
-- its own query. The caller may queue dsn, db_user and db_pass with
-- add_vars; without them the data source "Lumeno" is used.
template_file = "report/samples/bug_query.xlsx"
dest_file = "bug_query_out.xlsx"
open_file = "0"
query = "select BG_BUG_ID, BG_SUMMARY, BG_STATUS, BG_SEVERITY from t_bug order by BG_BUG_ID"

function report()
  local source = dsn or "Lumeno"
  obj:LoadSheetIdx(1)
  if not obj:SetDB(db_user or "", db_pass or "", source) then
    MessageBox("无法连接数据源 " .. source)
    return
  end
  local bugs = CTable()
  if bugs:fromString(obj:GetString(query)) < 0 then
    MessageBox("查询没有结果: " .. query)
    return
  end
  obj:SetTable(3, 1, bugs, 1)
  for i = 0, bugs._count - 1 do
    if bugs:vi(i, "BG_SEVERITY") == 1 then
      obj:SetFont(4 + i, 2, 255, "", 11, 0, true, false)
    end
  end
  obj:AddReplace("{dsn}", source)
  obj:AddReplace("{date}", os.date("%Y-%m-%d"))
end
