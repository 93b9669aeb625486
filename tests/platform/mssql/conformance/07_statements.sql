CREATE DATABASE [法院]  ON (NAME = N'法院_Data', FILENAME = N'D:\法院_SQL数据\法院_Data.MDF' , SIZE = 1, FILEGROWTH = 10%) LOG ON (NAME = N'法院_Log', FILENAME = N'D:\法院_SQL数据\法院_log.LDF' , SIZE = 1, FILEGROWTH = 10%)

GO
--@ database 法院
CREATE TABLE 日历 (id int IDENTITY (10, 5) NOT NULL, 日期 datetime NOT NULL, 节日 varchar(20) NULL CONSTRAINT 节日默认 DEFAULT ('无'), 值 money DEFAULT 1.5)
GO
SELECT o.name, o.xtype, c.text FROM sysobjects o INNER JOIN syscomments c ON c.id = o.id WHERE o.parent_obj = object_id('日历') ORDER BY o.xtype, o.name
GO
insert into 日历 (日期) values ('20060101')
insert into 日历 (日期, 节日) values ('2006-10-01', '国庆')
insert into 日历 (日期, 值) values ('2006-12-25', NULL)
GO
SELECT id, 日期, 节日, 值 FROM 日历 ORDER BY id
GO
SET IDENTITY_INSERT 日历 ON
insert into 日历 (id, 日期) values (100, '2007-01-01')
SET IDENTITY_INSERT 日历 OFF
insert into 日历 (日期) values ('2007-02-01')
SELECT max(id) AS last_id FROM 日历
GO
CREATE TABLE 复制 (日期 datetime NULL, 节日 varchar(20) NULL)
GO
insert into 复制 (日期, 节日) SELECT 日期, 节日 FROM 日历 WHERE 节日 <> '无'
SELECT * FROM 复制
GO
alter table 复制
 add 序号 [int]  IDENTITY (1, 1) NOT NULL 
GO
SELECT 序号, 节日 FROM 复制 ORDER BY 序号
GO
TRUNCATE TABLE 日历
insert into 日历 (日期) values ('2008-01-01')
SELECT id FROM 日历
GO
SELECT 节日 FROM 日历 UNION SELECT 节日 FROM 复制 ORDER BY 节日
GO
SELECT CAST('12' AS int) + 1 AS n, CONVERT(varchar(10), 12) + 'x' AS t, CAST(20061030 AS varchar(8)) AS d, CAST('2006-10-30' AS datetime) AS dt
GO
SELECT CASE WHEN 节日 = '国庆' THEN 1 ELSE 0 END AS national, CASE 节日 WHEN '无' THEN 'none' ELSE 'some' END AS kind FROM 复制 ORDER BY 序号
GO
SELECT d.n FROM (SELECT count(*) AS n FROM 复制) AS d
GO
SELECT count(*) AS n FROM 复制 WHERE 日期 BETWEEN '2006-01-01' AND '2006-12-31' AND 节日 NOT IN ('无')
GO
declare @i int set @i = 0 while @i < 3 begin insert into 复制 (节日) values ('循环') set @i = @i + 1 end select count(*) AS loops from 复制 where 节日 = '循环'
GO
CREATE DEFAULT 零 AS 0
GO
CREATE TABLE 计数 (a int NULL, b int NULL)
GO
sp_bindefault 零, '计数.a'
GO
DROP DEFAULT 零
GO
insert into 计数 (b) values (1)
exec sp_unbindefault '计数.a'
insert into 计数 (b) values (2)
SELECT a, b FROM 计数 ORDER BY b
GO
DROP DEFAULT 零
SELECT count(*) AS left_over FROM sysobjects WHERE name = '零'
GO
DROP TABLE 日历
SELECT count(*) AS left_over FROM sysobjects WHERE name IN ('日历', '节日默认') OR parent_obj = object_id('日历')
GO
DROP TABLE 日历
GO
update 计数 set a = 1 from 计数 k
GO
PRINT 'only information'
SELECT 1 AS printed
GO
SELECT id FROM 计数
GO
select datalength(N'ab') AS n, datalength('法院') AS v, datalength(rtrim('ab  ')) AS t, datalength(NULL) AS nothing
GO
SELECT 1/0 AS q
SELECT 7 % 0 AS r
SELECT 7/2 AS half, 7 % 3 AS rest, 2.5/NULL AS nothing
GO
SELECT upper('ab') AS u, lower('AB') AS l, ltrim('  a') AS lt, len('ab  ') AS n, left('abc', 2) AS le, right('abc', 2) AS ri, substring('abcd', 2, 2) AS su
SELECT isnull(NULL, 'x') AS i, coalesce(NULL, NULL, 3) AS c, abs(-2) AS a, replace('aXb', 'X', '-') AS re, charindex('B', 'abc') AS ci, charindex('b', 'abcb', 3) AS ci3
SELECT year('2006-10-30') AS y, month('2006-10-30') AS m, day('2006-10-30') AS d, user_name() AS u, suser_sname() AS s
SELECT avg(v) AS a, sum(v) AS s, min(v) AS lo, max(v) AS hi, count(DISTINCT v) AS k, count(*) AS n FROM (SELECT 1 AS v UNION ALL SELECT 2 UNION ALL SELECT 2) AS t
GO
SELECT len('a', 'b') AS n
GO
SELECT charindex('a') AS n
GO
SELECT coalesce(1) AS n
GO
SELECT nosuch(1) AS n
GO
EXEC sp_nosuch
GO
