<?xml version="1.0" encoding="UTF-8"?>
<!-- 1.0.0 Wizyta: plik TZamer_Wizyta na plik TPelk_Wizyta -->
<!--
  The representative's CRM user id is the external id of the representative's GIS object
  (type 103); the visit's key becomes its external id. Each activity becomes a stop at the
  customer or distributor with the CRM customer number as external id; the activity code is
  Num1 and the code's description Opis. The duration is written in whole seconds; a stop
  without duration or code gets no Czas or Num1, and the GIS side refuses it by name.
-->
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform">
  <xsl:output method="xml" encoding="UTF-8" indent="yes" omit-xml-declaration="yes"/>

  <xsl:template match="/">
    <classes>
      <xsl:apply-templates select="classes/class[@classname='TZamer_Wizyta']"/>
    </classes>
  </xsl:template>

  <!-- An integer property, left out when the source value is empty. -->
  <xsl:template name="integer">
    <xsl:param name="name"/>
    <xsl:param name="value"/>
    <xsl:if test="string-length(normalize-space($value)) &gt; 0">
      <property name="{$name}" type="Integer"><xsl:value-of select="round(number($value))"/></property>
    </xsl:if>
  </xsl:template>

  <xsl:template match="class[@classname='TZamer_Wizyta']">
    <xsl:variable name="p" select="properties/property"/>
    <class classname="TPelk_Wizyta" name="TPelk_Wizyta">
      <properties>
        <property name="ObjectID" type="String"><xsl:value-of select="$p[@name='ObjectID']"/></property>
        <property name="EXID" type="String"><xsl:value-of select="$p[@name='ObjectID']"/></property>
        <property name="ObiektEXID" type="String"><xsl:value-of select="$p[@name='ObiektID']"/></property>
        <property name="Data" type="String"><xsl:value-of select="$p[@name='Data']"/></property>
        <property name="WizytaPozycje" type="Object" class="TPelk_WizytaPozycjeCollection">
          <class classname="TPelk_WizytaPozycjeCollection" name="WizytaPozycje">
            <customdata>
              <xsl:for-each select="$p[@name='WizytaPozycje']/class/customdata/class[@classname='TZamer_WizytaPozycjeCollectionItem']">
                <xsl:variable name="s" select="properties/property"/>
                <class classname="TPelk_WizytaPozycjeCollectionItem" name="Item_{position()}">
                  <properties>
                    <property name="ObiektEXID" type="String"><xsl:value-of select="$s[@name='ObiektID']"/></property>
                    <property name="Sort" type="Integer"><xsl:value-of select="$s[@name='Sort']"/></property>
                    <property name="GodzinaOd" type="String"><xsl:value-of select="$s[@name='GodzinaOd']"/></property>
                    <property name="GodzinaDo" type="String"><xsl:value-of select="$s[@name='GodzinaDo']"/></property>
                    <xsl:call-template name="integer">
                      <xsl:with-param name="name" select="'Czas'"/>
                      <xsl:with-param name="value" select="$s[@name='Czas']"/>
                    </xsl:call-template>
                    <property name="Opis" type="String"><xsl:value-of select="$s[@name='Opis']"/></property>
                    <xsl:call-template name="integer">
                      <xsl:with-param name="name" select="'Num1'"/>
                      <xsl:with-param name="value" select="$s[@name='KodWizyty']"/>
                    </xsl:call-template>
                  </properties>
                </class>
              </xsl:for-each>
            </customdata>
          </class>
        </property>
      </properties>
    </class>
  </xsl:template>
</xsl:stylesheet>
