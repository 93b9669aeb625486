CREATE TABLE every_type (
  ti tinyint, si smallint, i int, bi bigint, b bit, r real, f float,
  sm smallmoney, m money, d decimal(18, 4), n numeric(5, 2),
  sdt smalldatetime, dt datetime,
  c char(4), vc varchar(20), nc nchar(3), nvc nvarchar(20), t text, nt ntext,
  bin binary(4), vb varbinary(8), img image, g uniqueidentifier)
INSERT INTO every_type VALUES (
  255, -32768, 2147483647, 9223372036854775807, 1, 1.5, 3.141592653589793,
  -214.5, 12345.6789, 12345.6789, -123.45,
  '2024-02-29 23:59:29', '2024-01-02 03:04:05.678',
  'ab', '中文abc', N'中文x', N'中文Ω', '长文本', N'長文本Ω',
  0x01020304, 0xDEADBEEF, 0x00FF, '6F9619FF-8B86-D011-B42D-00C04FC964FF')
INSERT INTO every_type (ti) VALUES (NULL)
CREATE TABLE params (id int, vc varchar(20), nvc nvarchar(20), dt datetime, m money, img image)
