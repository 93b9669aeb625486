CREATE DATABASE [法院]  ON (NAME = N'法院_Data', FILENAME = N'D:\法院_SQL数据\法院_Data.MDF' , SIZE = 1, FILEGROWTH = 10%) LOG ON (NAME = N'法院_Log', FILENAME = N'D:\法院_SQL数据\法院_log.LDF' , SIZE = 1, FILEGROWTH = 10%)

GO
--@ database 法院
CREATE TABLE [dbo].[运行库] (
[id] [int]  IDENTITY (1, 1) NOT NULL  , 
[使用名称] [varchar]  (50 )   COLLATE Chinese_PRC_CI_AS  null , 
[版本] [int]  null , 
) ON [PRIMARY]
GO
CREATE TABLE [dbo].[运行库文件] (
[运行库_id] [int]  null , 
[文件名] [nvarchar]  (50 )   COLLATE Chinese_PRC_CI_AS  null , 
[内容] [image]  null , 
) ON [PRIMARY]
GO
insert into  运行库 ( [使用名称] , [版本] ) values ( 'Word' , '1' ) 
insert into  运行库 ( [使用名称] , [版本] ) values ( 'word  ' , '2' ) 
insert into  运行库 ( [使用名称] , [版本] ) values ( 'Excel' , NULL ) 
insert into  运行库 ( [使用名称] ) values ( NULL ) 
GO
insert into 运行库文件 (运行库_id, 文件名, 内容) values (1, N'a.dll', 0x00FF10)
insert into 运行库文件 (运行库_id, 文件名) values (3, N'b.dll')
insert into 运行库文件 (运行库_id, 文件名) values (9, N'孤儿.dll')
GO
select id from 运行库 where  使用名称 =  'WORD'
GO
select id from 运行库 where  使用名称 =  'word   '
GO
select id from 运行库 where  使用名称 IN ('excel ', 'none')
GO
select id, 使用名称 from 运行库 where 使用名称 LIKE 'w%d'
GO
select id from 运行库 where 使用名称 LIKE 'word'
GO
select id from 运行库 where 使用名称 LIKE 'wor '
GO
select id from 运行库 where 使用名称 LIKE '[ew]%' ORDER BY id DESC
GO
select id from 运行库 where 使用名称 NOT LIKE '_xcel'
GO
select id from 运行库 where 版本 = NULL
GO
select id from 运行库 where 版本 <> 1
GO
select id from 运行库 where NOT (版本 = 1)
GO
select id from 运行库 where 版本 IS NULL OR 版本 > 1
GO
select id from 运行库 where 版本 IN (SELECT 运行库_id FROM 运行库文件)
GO
select id from 运行库 where id NOT IN (SELECT 运行库_id FROM 运行库文件)
GO
SELECT 使用名称, COUNT(*) AS n FROM 运行库 GROUP BY 使用名称 ORDER BY n DESC, 使用名称
GO
SELECT DISTINCT 使用名称 FROM 运行库 WHERE 使用名称 IS NOT NULL ORDER BY 使用名称
GO
SELECT MAX(版本) AS newest, COUNT(版本) AS with_version, COUNT(*) AS total FROM 运行库
GO
SELECT TOP 2 id FROM 运行库 ORDER BY id DESC
GO
SELECT top 10 使用名称 FROM 运行库 WHERE (使用名称 = 'EXCEL')
GO
SELECT TOP 50 PERCENT id FROM 运行库 ORDER BY id
GO
SELECT 运行库.使用名称, 运行库文件.文件名, 运行库文件.运行库_id, 运行库文件.内容 FROM 运行库 INNER JOIN  运行库文件 ON 运行库.id = 运行库文件.运行库_id
GO
SELECT k.id, f.文件名 FROM 运行库 k LEFT OUTER JOIN 运行库文件 AS f ON k.id = f.运行库_id ORDER BY k.id
GO
SELECT f.文件名 FROM 运行库文件 f WHERE EXISTS (SELECT * FROM 运行库 k WHERE k.id = f.运行库_id AND k.版本 IS NULL)
GO
SELECT  *  FROM 运行库 WHERE [使用名称] = 'Word' and [版本] = 1
GO
SELECT rtrim(使用名称) + '|' AS trimmed, len(使用名称) AS length, upper(使用名称) AS up FROM 运行库 WHERE id = 2
GO
SELECT isnull(版本, -1) AS v, 版本 * 2 + 1 AS calc, 7 / 2 AS div FROM 运行库 ORDER BY id
GO
SELECT object_id('运行库') - object_id(N'[dbo].[运行库]') AS same, object_id('没有') AS missing, OBJECTPROPERTY(object_id('运行库'), N'IsUserTable') AS is_table
GO
SELECT @@language AS lang, db_name() AS db
GO
update 运行库 set 版本 = 版本 + 10 where 版本 is not null
GO
update 运行库 set 版本 = 'x' where id = 1
GO
SELECT id, 版本 FROM 运行库 ORDER BY id
GO
delete from 运行库 where 使用名称 = 'WORD'
SELECT @@rowcount AS deleted
GO
insert into  运行库 ( [使用名称] ) values ( 'new' )
SELECT @@identity AS new_id
GO
SELECT id, 使用名称 FROM 运行库 ORDER BY id
GO
SELECT nothing FROM 运行库
GO
SELECT id FROM 没有
GO
SELECT id FROM 运行库 k INNER JOIN 运行库文件 f ON k.id = f.运行库_id WHERE 文件名 = 'a.dll' AND id = 1 AND 使用名称 = 'x'
GO
SELECT id FROM 运行库 k INNER JOIN 运行库 j ON k.id = j.id
GO
SELECT id FROM 运行库 WHERE
GO
SELECT 'unclosed
GO
GO
GO
SELECT CASE WHEN N'ａ' = N'a' THEN 1 ELSE 0 END AS width, CASE WHEN N'É' = N'é' THEN 1 ELSE 0 END AS [case], CASE WHEN N'e' = N'é' THEN 1 ELSE 0 END AS accent, CASE WHEN N'ａ' LIKE N'a' THEN 1 ELSE 0 END AS [like]
GO
SELECT x FROM (SELECT N'中' AS x UNION ALL SELECT N'阿' UNION ALL SELECT N'北' UNION ALL SELECT N'B' UNION ALL SELECT N'a') AS t ORDER BY x
GO
SELECT count(DISTINCT x) AS kinds FROM (SELECT N'ａ' AS x UNION ALL SELECT N'A' UNION ALL SELECT N'a') AS t
GO
