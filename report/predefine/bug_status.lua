-- Defects found since a date, in one status or in all of them: the client
-- lists this script under its report_name, builds its conditions from the
-- braces of query, runs the query and hands the rows over as table with
-- the day as calc_date.
report_name="缺陷状态报表"
query = "select BG_BUG_ID, BG_SUMMARY, BG_STATUS, BG_SEVERITY, BG_RESPONSIBLE, BG_DETECTION_DATE "
     .. "from t_bug where {BG_DETECTION_DATE >= '2008-01-01'} and {BG_STATUS = '----------'} "
     .. "order by BG_BUG_ID"

-- The template lies beside this script; the report goes to the home folder,
-- named by the day, and is opened when it is written.
local source = debug.getinfo(1, "S").source
local folder = source:match("^@(.*/)[^/]*$") or "report/predefine/"
template_file = folder .. "bug_status.xlsx"
dest_file = (os.getenv("HOME") or "/tmp") .. "/bug_status_" .. os.date("%Y-%m-%d") .. ".xlsx"
open_file = "1"

function report()
  obj:LoadSheetIdx(1)
  -- The template's header line is row 3; the rows go below it.
  obj:SetTable(3, 1, table, 0)
  for i = 0, table._count - 1 do
    if table:vs(i, "BG_SEVERITY") == "00-高" then
      obj:SetColor(4 + i, 4, 255)
    end
  end
  obj:AddReplace("{date}", calc_date or os.date("%Y-%m-%d"))
  obj:AddReplace("{count}", tostring(table._count))
end
