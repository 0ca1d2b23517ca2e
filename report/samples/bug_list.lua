-- Defect list from a data file (ResultText with the characters 1 and 2 as
-- separators, first line the field names).
--   taverixrun report/samples/bug_list.lua dbout.txt
-- or through the library: add_table_file("table", "dbout.txt") and
-- report("report/samples/bug_list.lua").
template_file = "report/samples/bug_list.xlsx"
dest_file = "bug_list_out.xlsx"
open_file = "0"

function report()
  obj:LoadSheetIdx(1)
  -- The template carries the header line in row 3; the rows go below it.
  obj:SetTable(3, 1, table, 0)
  for i = 0, table._count - 1 do
    -- Severity 1 (fatal) in red.
    if table:vi(i, "BG_SEVERITY") == 1 then
      obj:SetColor(4 + i, 2, 255)
    end
  end
  obj:AddReplace("{count}", tostring(table._count))
  obj:AddReplace("{date}", os.date("%Y-%m-%d"))
end
