CREATE DATABASE [法院]  ON (NAME = N'法院_Data', FILENAME = N'D:\法院_SQL数据\法院_Data.MDF' , SIZE = 1, FILEGROWTH = 10%) LOG ON (NAME = N'法院_Log', FILENAME = N'D:\法院_SQL数据\法院_log.LDF' , SIZE = 1, FILEGROWTH = 10%)

GO
--@ database 法院
CREATE TABLE [dbo].[常用数据] (
[no] [int]  IDENTITY (1, 1) NOT NULL  , 
[名称] [varchar]  (50 )   COLLATE Chinese_PRC_CI_AS  null , 
[内容1] [varchar]  (50 )   COLLATE Chinese_PRC_CI_AS  null , 
[内容2] [varchar]  (50 )   COLLATE Chinese_PRC_CI_AS  null , 
[内容3] [varchar]  (50 )   COLLATE Chinese_PRC_CI_AS  null , 
[内容4] [varchar]  (50 )   COLLATE Chinese_PRC_CI_AS  null , 
) ON [PRIMARY]
GO
SELECT COUNT(*) AS Expr1 FROM 常用数据 GROUP BY 名称 HAVING (名称 = '字号')
GO
insert into  常用数据 (名称, 内容1, 内容2, 内容3) values ( '字号', '民初' ,'民事','院机关')
insert into  常用数据 (名称, 内容1, 内容2, 内容3) values ( '字号', '民初 ' ,'民事','院机关')
insert into  常用数据 (名称, 内容1, 内容2, 内容3) values ( '字号', '民初' ,'民事','院机关')
insert into  常用数据 (名称, 内容1, 内容2, 内容3) values ( '字号', '刑初' ,'刑事','院机关')
insert into  常用数据 (名称, 内容1, 内容2, 内容3, 内容4) values ( '案件性质', 'a', 'b', 'c', 'd')
insert into  常用数据 (名称, 内容1, 内容2, 内容3, 内容4) values ( '案件性质', 'A', 'b', 'c', 'D  ')
GO
SELECT COUNT(*) AS Expr1 FROM 常用数据 GROUP BY 名称 HAVING (名称 = '字号')
GO
SELECT 名称, 内容1, 内容2, 内容3, 内容4 FROM 常用数据 GROUP BY 名称, 内容1, 内容2, 内容3, 内容4 HAVING (COUNT(*) > 1)
GO
delete from 常用数据 where [no] in (select top 1 [no] from 常用数据  where 名称 = '字号'  and 内容1 = '民初'  and 内容2 = '民事'  and 内容3 = '院机关'  and 内容4 is null )
GO
SELECT 名称, 内容1, 内容2, 内容3, 内容4 FROM 常用数据 GROUP BY 名称, 内容1, 内容2, 内容3, 内容4 HAVING (COUNT(*) > 1)
GO
delete from 常用数据 where [no] in (select top 1 [no] from 常用数据  where 名称 = '字号'  and 内容1 = '民初'  and 内容2 = '民事'  and 内容3 = '院机关'  and 内容4 is null )
GO
SELECT 名称, 内容1, 内容2, 内容3, 内容4 FROM 常用数据 GROUP BY 名称, 内容1, 内容2, 内容3, 内容4 HAVING (COUNT(*) > 1)
GO
delete from 常用数据 where [no] in (select top 1 [no] from 常用数据  where 名称 = '案件性质'  and 内容1 = 'a'  and 内容2 = 'b'  and 内容3 = 'c'  and 内容4 = 'd' )
GO
SELECT no, 名称, 内容1, 内容4 FROM 常用数据 ORDER BY no
GO
CREATE TABLE [dbo].[案由] (
[案由编号] [int]  IDENTITY (1, 1) NOT NULL  , 
[案由] [varchar]  (50 )   COLLATE Chinese_PRC_CI_AS  null , 
[性质] [varchar]  (20 )   COLLATE Chinese_PRC_CI_AS  null , 
[金额] [money]  null , 
) ON [PRIMARY]
GO
insert into  案由 ( [案由] , [性质] , [金额] ) values ( '借款合同纠纷' , '民事' , '$1,234.5' ) 
insert into  案由 ( [案由] , [性质] , [金额] ) values ( '盗窃' , '刑事' , '' ) 
insert into  案由 ( [案由] , [性质] ) values ( '未知' , NULL ) 
insert into  案由 ( [案由] , [性质] ) values ( '坏' , '坏' ) 
GO
SELECT sysobjects.name, sysobjects_1.name AS 表名, syscomments.text FROM sysobjects LEFT OUTER JOIN syscomments ON sysobjects.id = syscomments.id LEFT OUTER JOIN sysobjects sysobjects_1 ON sysobjects.parent_obj = sysobjects_1.id WHERE (sysobjects.xtype = 'c') 
GO
delete from 案由 where not ( 性质 in ('民事', '刑事'))
GO
SELECT 案由编号, 案由, 性质, 金额 FROM 案由 ORDER BY 案由编号
GO
insert into  案由 ( [案由] , [性质] ) values ( '又坏' , '坏' ) 
GO
use 法院
ALTER TABLE 案由 WITH NOCHECK 
ADD CONSTRAINT 案由1_ck CHECK ( 性质 in ('民事', '刑事') )
GO
use 法院
ALTER TABLE 常用数据 WITH NOCHECK 
ADD CONSTRAINT 常用数据2_ck CHECK ( 名称 <> '' and (内容1 like '[民刑]%' or 名称 = '案件性质') )
GO
use 法院
ALTER TABLE 案由 WITH NOCHECK 
ADD CONSTRAINT 案由3_ck CHECK ( 金额 between 0 and 10000 )
GO
SELECT sysobjects.name, sysobjects_1.name AS 表名, syscomments.text FROM sysobjects LEFT OUTER JOIN syscomments ON sysobjects.id = syscomments.id LEFT OUTER JOIN sysobjects sysobjects_1 ON sysobjects.parent_obj = sysobjects_1.id WHERE (sysobjects.xtype = 'c') 
GO
insert into  案由 ( [案由] , [性质] ) values ( '还坏' , '坏' ) 
GO
insert into  案由 ( [案由] , [性质] ) values ( '空' , NULL ) 
insert into  案由 ( [案由] , [性质] , [金额] ) values ( '贵' , '民事' , '20000' ) 
insert into  案由 ( [案由] , [性质] ) values ( '好' , '刑事' ) 
GO
update 案由 set 性质 = '坏' where 案由 = '好'
GO
update 常用数据 set 内容1 = 'x'
GO
SELECT 案由, 性质 FROM 案由 ORDER BY 案由编号
GO
use 法院
ALTER TABLE 案由 WITH NOCHECK 
ADD CONSTRAINT 案由1_ck CHECK ( 性质 is not null )
GO
alter table 案由 drop 案由1_ck
GO
alter table 案由 drop 案由1_ck
GO
alter table 常用数据 drop 常用数据2_ck
GO
SELECT sysobjects.name, sysobjects_1.name AS 表名, syscomments.text FROM sysobjects LEFT OUTER JOIN syscomments ON sysobjects.id = syscomments.id LEFT OUTER JOIN sysobjects sysobjects_1 ON sysobjects.parent_obj = sysobjects_1.id WHERE (sysobjects.xtype = 'c') 
GO
insert into  案由 ( [案由] , [性质] ) values ( '现在可以' , '坏' ) 
GO
SELECT count(*) AS n FROM 案由 WHERE 性质 = '坏'
GO
ALTER TABLE 案由 ADD CONSTRAINT 检查 CHECK (性质 <> '坏')
GO
ALTER TABLE 案由 WITH NOCHECK ADD CONSTRAINT 检查 CHECK (没有 <> '坏')
GO
